<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>Alert</name>
    <message>
        <source>%1 message matched</source>
        <translation>%1 Nachricht passt</translation>
    </message>
    <message>
        <source>%1 messages matched</source>
        <translation>%1 Nachrichten passen</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>(unknown sender)</source>
        <translation>(unbekannter Absender)</translation>
    </message>
    <message>
        <source>(no subject)</source>
        <translation>(kein Betreff)</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>... und %1 weitere</translation>
    </message>
</context>
<context>
    <name>AutoCheck</name>
    <message>
        <source>%1 - the server allows a log-in only every %2 minute(s), so it checks every %2</source>
        <translation>%1 – der Server erlaubt eine Anmeldung nur alle %2 Minute(n), daher wird alle %2 geprüft</translation>
    </message>
    <message>
        <source>Auto-Check Every %1 Minute(s)</source>
        <translation>Automatisch prüfen alle %1 Minute(n)</translation>
    </message>
    <message>
        <source>Last check %1 failed: %2.</source>
        <translation>Letzte Prüfung %1 fehlgeschlagen: %2.</translation>
    </message>
    <message>
        <source>Next %1.</source>
        <translation>Nächste %1.</translation>
    </message>
    <message>
        <source>no network</source>
        <translation>kein Netzwerk</translation>
    </message>
    <message>
        <source>server name not found</source>
        <translation>Servername nicht gefunden</translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation>Verbindung abgelehnt</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>keine Antwort</translation>
    </message>
    <message>
        <source>connection lost</source>
        <translation>Verbindung verloren</translation>
    </message>
</context>
<context>
    <name>Check</name>
    <message>
        <source>You Have No Mail !</source>
        <translation>Sie haben keine Post!</translation>
    </message>
    <message>
        <source>User Name / Password INVALID !</source>
        <translation>Benutzername / Passwort UNGÜLTIG!</translation>
    </message>
    <message>
        <source>Errors Encountered With %1 - ABORTING !</source>
        <translation>Fehler mit %1 – ABBRUCH!</translation>
    </message>
    <message>
        <source>Analyse This Item ?</source>
        <translation>Diese Nachricht analysieren?</translation>
    </message>
</context>
<context>
    <name>Deletion</name>
    <message>
        <source>%1 ticked message(s) were not deleted because the mailbox changed since the last check. Check again and tick them anew.</source>
        <translation>%1 markierte Nachricht(en) wurden nicht gelöscht, weil sich das Postfach seit der letzten Prüfung geändert hat. Prüfen Sie erneut und markieren Sie sie noch einmal.</translation>
    </message>
    <message>
        <source>The server refused to delete %1 ticked message(s). They are still on the server.</source>
        <translation>Der Server hat das Löschen von %1 markierten Nachricht(en) abgelehnt. Sie sind noch auf dem Server.</translation>
    </message>
    <message>
        <source>The connection to the server broke before it confirmed the deletion (%1), so nothing was deleted: all %2 ticked message(s) are still on the server. Check again.</source>
        <translation>Die Verbindung zum Server brach ab, bevor er das Löschen bestätigte (%1), daher wurde nichts gelöscht: alle %2 markierten Nachricht(en) sind noch auf dem Server. Prüfen Sie erneut.</translation>
    </message>
    <message>
        <source>%1 ticked message(s) were not deleted: the server could not be reached or refused the log-in. They are still on the server; check again.</source>
        <translation>%1 markierte Nachricht(en) wurden nicht gelöscht: der Server war nicht erreichbar oder hat die Anmeldung abgelehnt. Sie sind noch auf dem Server; prüfen Sie erneut.</translation>
    </message>
    <message>
        <source>The server did not confirm the deletion (%1): some of these %2 ticked message(s) may still be on the server. Check again.</source>
        <translation>Der Server hat das Löschen nicht bestätigt (%1): einige dieser %2 markierten Nachricht(en) sind vielleicht noch auf dem Server. Prüfen Sie erneut.</translation>
    </message>
</context>
<context>
    <name>Failure</name>
    <message>
        <source>server out of step</source>
        <translation>Server aus dem Takt</translation>
    </message>
    <message>
        <source>The server sent answers that no command asked for. %1.</source>
        <translation>Der Server schickte Antworten, nach denen kein Befehl gefragt hatte. %1.</translation>
    </message>
    <message>
        <source>message too large</source>
        <translation>Nachricht zu groß</translation>
    </message>
    <message>
        <source>server stopped answering</source>
        <translation>Server antwortet nicht mehr</translation>
    </message>
    <message>
        <source>The server stopped answering (%1).</source>
        <translation>Der Server antwortet nicht mehr (%1).</translation>
    </message>
    <message>
        <source>connection lost</source>
        <translation>Verbindung verloren</translation>
    </message>
    <message>
        <source>The connection to the server was lost (%1).</source>
        <translation>Die Verbindung zum Server ist abgebrochen (%1).</translation>
    </message>
    <message>
        <source>refused by the server</source>
        <translation>vom Server abgelehnt</translation>
    </message>
    <message>
        <source>The server refused: %1</source>
        <translation>Der Server lehnte ab: %1</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>header too long</source>
        <translation>Kopfzeilen zu lang</translation>
    </message>
    <message>
        <source>A message&apos;s header was too long to read, which cost the connection; the rows after it could not be read in a new session.</source>
        <translation>Die Kopfzeilen einer Nachricht waren zu lang zum Lesen, was die Verbindung gekostet hat; die Zeilen danach konnten in einer neuen Sitzung nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>LogIn</name>
    <message>
        <source>The mailbox is in use by another session (another program or device is reading it). Your password was not refused. Try again shortly.</source>
        <translation>Das Postfach wird von einer anderen Sitzung benutzt (ein anderes Programm oder Gerät liest es). Ihr Passwort wurde nicht abgelehnt. Versuchen Sie es gleich noch einmal.</translation>
    </message>
    <message>
        <source>The server allows a log-in only every so often, and the last one was too recent. Your password was not refused. Try again later.</source>
        <translation>Der Server erlaubt eine Anmeldung nur in gewissen Abständen, und die letzte liegt zu kurz zurück. Ihr Passwort wurde nicht abgelehnt. Versuchen Sie es später noch einmal.</translation>
    </message>
    <message>
        <source>The server has a passing problem and could not log you in. Your password was not refused. Try again later.</source>
        <translation>Der Server hat ein vorübergehendes Problem und konnte Sie nicht anmelden. Ihr Passwort wurde nicht abgelehnt. Versuchen Sie es später noch einmal.</translation>
    </message>
    <message>
        <source>The server has a problem that will not pass by itself and could not log you in. Your password was not refused; your provider may have to mend it.</source>
        <translation>Der Server hat ein Problem, das nicht von selbst vergeht, und konnte Sie nicht anmelden. Ihr Passwort wurde nicht abgelehnt; vielleicht muss Ihr Anbieter es beheben.</translation>
    </message>
    <message>
        <source>mailbox in use</source>
        <translation>Postfach belegt</translation>
    </message>
    <message>
        <source>log-in too soon after the last</source>
        <translation>Anmeldung zu kurz nach der letzten</translation>
    </message>
    <message>
        <source>server problem</source>
        <translation>Serverproblem</translation>
    </message>
    <message>
        <source>lasting server problem</source>
        <translation>dauerhaftes Serverproblem</translation>
    </message>
    <message>
        <source>log-in refused</source>
        <translation>Anmeldung abgelehnt</translation>
    </message>
    <message>
        <source>The server said: %1</source>
        <translation>Der Server sagte: %1</translation>
    </message>
    <message>
        <source>The automatic check goes on at its next time.</source>
        <translation>Die automatische Prüfung geht zur nächsten Zeit weiter.</translation>
    </message>
</context>
<context>
    <name>Mailbox</name>
    <message>
        <source>%1, %2 of %3 listed</source>
        <translation>%1, %2 von %3 aufgelistet</translation>
    </message>
    <message>
        <source>%1 of %2 listed</source>
        <translation>%1 von %2 aufgelistet</translation>
    </message>
    <message>
        <source>The server counted %1 messages but listed only %2 of them.</source>
        <translation>Der Server zählte %1 Nachrichten, listete aber nur %2 davon auf.</translation>
    </message>
</context>
<context>
    <name>Security</name>
    <message>
        <source>%1 does not offer TLS: your user name and password would cross the network in clear, readable by anyone on the way.

Most providers take POP3 only over TLS: then type the server as %1:995 (or pop3s://%1).

Log in without encryption anyway? (The answer is remembered for this server.)</source>
        <translation>%1 bietet kein TLS an: Ihr Benutzername und Ihr Passwort würden unverschlüsselt durch das Netz gehen, lesbar für jeden auf dem Weg.

Die meisten Anbieter nehmen POP3 nur über TLS an: geben Sie den Server dann als %1:995 (oder pop3s://%1) ein.

Trotzdem ohne Verschlüsselung anmelden? (Die Antwort wird für diesen Server gemerkt.)</translation>
    </message>
    <message>
        <source>Last session: not encrypted</source>
        <translation>Letzte Sitzung: unverschlüsselt</translation>
    </message>
    <message>
        <source>Last session: encrypted (%1)</source>
        <translation>Letzte Sitzung: verschlüsselt (%1)</translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>Not checked: %1</source>
        <translation>Nicht geprüft: %1</translation>
    </message>
    <message>
        <source>Connecting ...</source>
        <translation>Verbinde ...</translation>
    </message>
    <message>
        <source>Waiting for the keyring ...</source>
        <translation>Warte auf den Schlüsselbund ...</translation>
    </message>
    <message>
        <source>Incomplete: %1</source>
        <translation>Unvollständig: %1</translation>
    </message>
    <message>
        <source>Header not shown: %1</source>
        <translation>Kopfzeilen nicht gezeigt: %1</translation>
    </message>
    <message>
        <source>Body not shown: %1 - ESC to close</source>
        <translation>Text nicht gezeigt: %1 – ESC schließt</translation>
    </message>
    <message>
        <source>Working ...</source>
        <translation>Arbeite ...</translation>
    </message>
</context>
<context>
    <name>Viewer</name>
    <message>
        <source>Header - ESC to close</source>
        <translation>Kopfzeilen – ESC schließt</translation>
    </message>
    <message>
        <source>Body - ESC to close</source>
        <translation>Text – ESC schließt</translation>
    </message>
    <message>
        <source>Mail Item No Longer Available !</source>
        <translation>Nachricht nicht mehr vorhanden!</translation>
    </message>
    <message>
        <source>Attachment(s) Placed In %1 !</source>
        <translation>Anhänge abgelegt in %1!</translation>
    </message>
    <message>
        <source>%1. The text was not saved: double-click it again to choose another file.</source>
        <translation>%1. Der Text wurde nicht gespeichert: doppelklicken Sie ihn noch einmal, um eine andere Datei zu wählen.</translation>
    </message>
</context>
<context>
    <name>Window</name>
    <message>
        <source>Connection security</source>
        <translation>Verbindungssicherheit</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>Ü&amp;ber...</translation>
    </message>
    <message>
        <source>Server IP:</source>
        <extracomment>The captions over the edits and tick boxes have a fixed place each and end where the next begins: keep them about as short as the English.</extracomment>
        <translation>Server-IP:</translation>
    </message>
    <message>
        <source>Server IP: - %1</source>
        <translation>Server-IP: – %1</translation>
    </message>
    <message>
        <source>pop.example.com -or- nnn.nnn.nnn.nnn etc.</source>
        <translation>pop.example.com -oder- nnn.nnn.nnn.nnn usw.</translation>
    </message>
    <message>
        <source>Server IP</source>
        <translation>Server-IP</translation>
    </message>
    <message>
        <source>POP3 Account</source>
        <translation>POP3-Konto</translation>
    </message>
    <message>
        <source>User Name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>POP3 Password</source>
        <translation>POP3-Passwort</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Save Password</source>
        <translation>Passwort merken</translation>
    </message>
    <message>
        <source>Auto-Check Every 5 Minutes</source>
        <translation>Automatisch prüfen alle 5 Minuten</translation>
    </message>
    <message>
        <source>Continuos Auto-Checking Even After Match Found</source>
        <translation>Automatisch weiter prüfen, auch nach einem Treffer</translation>
    </message>
    <message>
        <source>Play Wave File</source>
        <translation>Wave-Datei abspielen</translation>
    </message>
    <message>
        <source>Analyse From: Subject: Date:</source>
        <translation>Von: Betreff: Datum: analysieren</translation>
    </message>
    <message>
        <source>User Name:</source>
        <translation>Benutzer:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Merken</translation>
    </message>
    <message>
        <source>Auto-Check</source>
        <translation>Auto-Prüfung</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Ton</translation>
    </message>
    <message>
        <source>Analyse</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>From:</source>
        <translation>Von:</translation>
    </message>
    <message>
        <source>Click To Edit FROM: Auto-Check</source>
        <translation>Klicken, um VON: der Auto-Prüfung zu bearbeiten</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Betreff:</translation>
    </message>
    <message>
        <source>Click To Edit SUBJECT: Auto-Check</source>
        <translation>Klicken, um BETREFF: der Auto-Prüfung zu bearbeiten</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Datum:</translation>
    </message>
    <message>
        <source>Click To Clear Grid</source>
        <translation>Klicken, um die Liste zu leeren</translation>
    </message>
    <message>
        <source>Size:</source>
        <extracomment>The size rule&apos;s edit opens 31 pixels to the right: no wider than &quot;Size:&quot;.</extracomment>
        <translation>Gr.:</translation>
    </message>
    <message>
        <source>Click To Edit SIZE: Auto-Check</source>
        <translation>Klicken, um GRÖSSE: der Auto-Prüfung zu bearbeiten</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Nachrichten</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Check Mail Headers</source>
        <translation>Kopfzeilen abrufen</translation>
    </message>
    <message>
        <source>Delete Selected Mail</source>
        <translation>Markierte löschen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
</context>
<context>
    <name>Mailboxes</name>
    <message>
        <source>&amp;Mailboxes</source>
        <translation>&amp;Postfächer</translation>
    </message>
    <message>
        <source>Add mailbox...</source>
        <translation>Postfach hinzufügen...</translation>
    </message>
    <message>
        <source>Remove this mailbox...</source>
        <translation>Dieses Postfach entfernen...</translation>
    </message>
    <message>
        <source>This is the only mailbox: change its server and user name instead.</source>
        <translation>Dies ist das einzige Postfach: ändern Sie stattdessen Server und Benutzernamen.</translation>
    </message>
    <message>
        <source>Remove the mailbox %1?

Its settings and its saved password are removed.</source>
        <translation>Das Postfach %1 entfernen?

Seine Einstellungen und sein gespeichertes Passwort werden gelöscht.</translation>
    </message>
    <message>
        <source>log-in refused</source>
        <translation>Anmeldung abgelehnt</translation>
    </message>
    <message>
        <source>no session</source>
        <translation>keine Sitzung</translation>
    </message>
    <message>
        <source>%1: %2 matched</source>
        <translation>%1: %2 passend</translation>
    </message>
    <message>
        <source>%1: failed: %2</source>
        <translation>%1: fehlgeschlagen: %2</translation>
    </message>
</context>
</TS>
