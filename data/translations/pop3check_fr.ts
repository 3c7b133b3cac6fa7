<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>Alert</name>
    <message>
        <source>%1 message matched</source>
        <translation>%1 message correspond</translation>
    </message>
    <message>
        <source>%1 messages matched</source>
        <translation>%1 messages correspondent</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>(unknown sender)</source>
        <translation>(expéditeur inconnu)</translation>
    </message>
    <message>
        <source>(no subject)</source>
        <translation>(sans objet)</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>... et %1 de plus</translation>
    </message>
</context>
<context>
    <name>AutoCheck</name>
    <message>
        <source>%1 - the server allows a log-in only every %2 minute(s), so it checks every %2</source>
        <translation>%1 – le serveur n&apos;accepte une connexion que toutes les %2 minute(s), la relève a donc lieu toutes les %2</translation>
    </message>
    <message>
        <source>Auto-Check Every %1 Minute(s)</source>
        <translation>Relève automatique toutes les %1 minute(s)</translation>
    </message>
    <message>
        <source>Last check %1 failed: %2.</source>
        <translation>Dernière relève à %1 échouée : %2.</translation>
    </message>
    <message>
        <source>Next %1.</source>
        <translation>Prochaine à %1.</translation>
    </message>
    <message>
        <source>no network</source>
        <translation>pas de réseau</translation>
    </message>
    <message>
        <source>server name not found</source>
        <translation>nom du serveur introuvable</translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation>connexion refusée</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>pas de réponse</translation>
    </message>
    <message>
        <source>connection lost</source>
        <translation>connexion perdue</translation>
    </message>
</context>
<context>
    <name>Check</name>
    <message>
        <source>You Have No Mail !</source>
        <translation>Vous n&apos;avez pas de courrier !</translation>
    </message>
    <message>
        <source>User Name / Password INVALID !</source>
        <translation>Nom d&apos;utilisateur / mot de passe INVALIDE !</translation>
    </message>
    <message>
        <source>Errors Encountered With %1 - ABORTING !</source>
        <translation>Erreurs avec %1 – ABANDON !</translation>
    </message>
    <message>
        <source>Analyse This Item ?</source>
        <translation>Analyser ce message ?</translation>
    </message>
</context>
<context>
    <name>Deletion</name>
    <message>
        <source>%1 ticked message(s) were not deleted because the mailbox changed since the last check. Check again and tick them anew.</source>
        <translation>%1 message(s) coché(s) n&apos;ont pas été supprimé(s), car la boîte a changé depuis la dernière relève. Relevez à nouveau et cochez-les encore une fois.</translation>
    </message>
    <message>
        <source>The server refused to delete %1 ticked message(s). They are still on the server.</source>
        <translation>Le serveur a refusé de supprimer %1 message(s) coché(s). Ils sont toujours sur le serveur.</translation>
    </message>
    <message>
        <source>The connection to the server broke before it confirmed the deletion (%1), so nothing was deleted: all %2 ticked message(s) are still on the server. Check again.</source>
        <translation>La connexion au serveur a été coupée avant qu&apos;il confirme la suppression (%1), rien n&apos;a donc été supprimé : les %2 message(s) coché(s) sont toujours sur le serveur. Relevez à nouveau.</translation>
    </message>
    <message>
        <source>%1 ticked message(s) were not deleted: the server could not be reached or refused the log-in. They are still on the server; check again.</source>
        <translation>%1 message(s) coché(s) n&apos;ont pas été supprimé(s) : le serveur était injoignable ou a refusé la connexion. Ils sont toujours sur le serveur ; relevez à nouveau.</translation>
    </message>
    <message>
        <source>The server did not confirm the deletion (%1): some of these %2 ticked message(s) may still be on the server. Check again.</source>
        <translation>Le serveur n&apos;a pas confirmé la suppression (%1) : certains de ces %2 message(s) coché(s) sont peut-être encore sur le serveur. Relevez à nouveau.</translation>
    </message>
</context>
<context>
    <name>Failure</name>
    <message>
        <source>server out of step</source>
        <translation>serveur désynchronisé</translation>
    </message>
    <message>
        <source>The server sent answers that no command asked for. %1.</source>
        <translation>Le serveur a envoyé des réponses qu&apos;aucune commande n&apos;avait demandées. %1.</translation>
    </message>
    <message>
        <source>message too large</source>
        <translation>message trop grand</translation>
    </message>
    <message>
        <source>server stopped answering</source>
        <translation>le serveur ne répond plus</translation>
    </message>
    <message>
        <source>The server stopped answering (%1).</source>
        <translation>Le serveur ne répond plus (%1).</translation>
    </message>
    <message>
        <source>connection lost</source>
        <translation>connexion perdue</translation>
    </message>
    <message>
        <source>The connection to the server was lost (%1).</source>
        <translation>La connexion au serveur a été perdue (%1).</translation>
    </message>
    <message>
        <source>refused by the server</source>
        <translation>refusé par le serveur</translation>
    </message>
    <message>
        <source>The server refused: %1</source>
        <translation>Le serveur a refusé : %1</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>échec</translation>
    </message>
    <message>
        <source>header too long</source>
        <translation>en-tête trop long</translation>
    </message>
    <message>
        <source>A message&apos;s header was too long to read, which cost the connection; the rows after it could not be read in a new session.</source>
        <translation>L&apos;en-tête d&apos;un message était trop long pour être lu, ce qui a coûté la connexion ; les lignes suivantes n&apos;ont pas pu être lues dans une nouvelle session.</translation>
    </message>
</context>
<context>
    <name>LogIn</name>
    <message>
        <source>The mailbox is in use by another session (another program or device is reading it). Your password was not refused. Try again shortly.</source>
        <translation>La boîte aux lettres est utilisée par une autre session (un autre programme ou appareil la lit). Votre mot de passe n&apos;a pas été refusé. Réessayez dans un instant.</translation>
    </message>
    <message>
        <source>The server allows a log-in only every so often, and the last one was too recent. Your password was not refused. Try again later.</source>
        <translation>Le serveur n&apos;accepte une connexion qu&apos;à intervalles, et la dernière est trop récente. Votre mot de passe n&apos;a pas été refusé. Réessayez plus tard.</translation>
    </message>
    <message>
        <source>The server has a passing problem and could not log you in. Your password was not refused. Try again later.</source>
        <translation>Le serveur a un problème passager et n&apos;a pas pu vous connecter. Votre mot de passe n&apos;a pas été refusé. Réessayez plus tard.</translation>
    </message>
    <message>
        <source>The server has a problem that will not pass by itself and could not log you in. Your password was not refused; your provider may have to mend it.</source>
        <translation>Le serveur a un problème qui ne passera pas de lui-même et n&apos;a pas pu vous connecter. Votre mot de passe n&apos;a pas été refusé ; votre fournisseur devra peut-être le réparer.</translation>
    </message>
    <message>
        <source>mailbox in use</source>
        <translation>boîte occupée</translation>
    </message>
    <message>
        <source>log-in too soon after the last</source>
        <translation>connexion trop tôt après la précédente</translation>
    </message>
    <message>
        <source>server problem</source>
        <translation>problème du serveur</translation>
    </message>
    <message>
        <source>lasting server problem</source>
        <translation>problème durable du serveur</translation>
    </message>
    <message>
        <source>log-in refused</source>
        <translation>connexion refusée</translation>
    </message>
    <message>
        <source>The server said: %1</source>
        <translation>Le serveur a dit : %1</translation>
    </message>
    <message>
        <source>The automatic check goes on at its next time.</source>
        <translation>La relève automatique reprendra à la prochaine échéance.</translation>
    </message>
</context>
<context>
    <name>Mailbox</name>
    <message>
        <source>%1, %2 of %3 listed</source>
        <translation>%1, %2 sur %3 listés</translation>
    </message>
    <message>
        <source>%1 of %2 listed</source>
        <translation>%1 sur %2 listés</translation>
    </message>
    <message>
        <source>The server counted %1 messages but listed only %2 of them.</source>
        <translation>Le serveur a compté %1 messages mais n&apos;en a listé que %2.</translation>
    </message>
</context>
<context>
    <name>Security</name>
    <message>
        <source>%1 does not offer TLS: your user name and password would cross the network in clear, readable by anyone on the way.

Most providers take POP3 only over TLS: then type the server as %1:995 (or pop3s://%1).

Log in without encryption anyway? (The answer is remembered for this server.)</source>
        <translation>%1 ne propose pas TLS : votre nom d&apos;utilisateur et votre mot de passe traverseraient le réseau en clair, lisibles par quiconque sur le chemin.

La plupart des fournisseurs n&apos;acceptent POP3 que par TLS : tapez alors le serveur sous la forme %1:995 (ou pop3s://%1).

Se connecter quand même sans chiffrement ? (La réponse est retenue pour ce serveur.)</translation>
    </message>
    <message>
        <source>Last session: not encrypted</source>
        <translation>Dernière session : non chiffrée</translation>
    </message>
    <message>
        <source>Last session: encrypted (%1)</source>
        <translation>Dernière session : chiffrée (%1)</translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>Not checked: %1</source>
        <translation>Non relevé : %1</translation>
    </message>
    <message>
        <source>Connecting ...</source>
        <translation>Connexion ...</translation>
    </message>
    <message>
        <source>Waiting for the keyring ...</source>
        <translation>Attente du trousseau ...</translation>
    </message>
    <message>
        <source>Incomplete: %1</source>
        <translation>Incomplet : %1</translation>
    </message>
    <message>
        <source>Header not shown: %1</source>
        <translation>En-tête non affiché : %1</translation>
    </message>
    <message>
        <source>Body not shown: %1 - ESC to close</source>
        <translation>Corps non affiché : %1 – Échap pour fermer</translation>
    </message>
    <message>
        <source>Working ...</source>
        <translation>En cours ...</translation>
    </message>
</context>
<context>
    <name>Viewer</name>
    <message>
        <source>Header - ESC to close</source>
        <translation>En-tête – Échap pour fermer</translation>
    </message>
    <message>
        <source>Body - ESC to close</source>
        <translation>Corps – Échap pour fermer</translation>
    </message>
    <message>
        <source>Mail Item No Longer Available !</source>
        <translation>Message plus disponible !</translation>
    </message>
    <message>
        <source>Attachment(s) Placed In %1 !</source>
        <translation>Pièce(s) jointe(s) placée(s) dans %1 !</translation>
    </message>
    <message>
        <source>%1. The text was not saved: double-click it again to choose another file.</source>
        <translation>%1. Le texte n&apos;a pas été enregistré : double-cliquez-le à nouveau pour choisir un autre fichier.</translation>
    </message>
</context>
<context>
    <name>Window</name>
    <message>
        <source>Connection security</source>
        <translation>Sécurité de la connexion</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>À &amp;propos...</translation>
    </message>
    <message>
        <source>Server IP:</source>
        <extracomment>The captions over the edits and tick boxes have a fixed place each and end where the next begins: keep them about as short as the English.</extracomment>
        <translation>Serveur IP :</translation>
    </message>
    <message>
        <source>Server IP: - %1</source>
        <translation>Serveur IP : – %1</translation>
    </message>
    <message>
        <source>pop.example.com -or- nnn.nnn.nnn.nnn etc.</source>
        <translation>pop.example.com -ou- nnn.nnn.nnn.nnn etc.</translation>
    </message>
    <message>
        <source>Server IP</source>
        <translation>Serveur IP</translation>
    </message>
    <message>
        <source>POP3 Account</source>
        <translation>Compte POP3</translation>
    </message>
    <message>
        <source>User Name</source>
        <translation>Nom d&apos;utilisateur</translation>
    </message>
    <message>
        <source>POP3 Password</source>
        <translation>Mot de passe POP3</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>Save Password</source>
        <translation>Garder le mot de passe</translation>
    </message>
    <message>
        <source>Auto-Check Every 5 Minutes</source>
        <translation>Relève automatique toutes les 5 minutes</translation>
    </message>
    <message>
        <source>Continuos Auto-Checking Even After Match Found</source>
        <translation>Relève automatique continue, même après une correspondance</translation>
    </message>
    <message>
        <source>Play Wave File</source>
        <translation>Jouer le fichier Wave</translation>
    </message>
    <message>
        <source>Analyse From: Subject: Date:</source>
        <translation>Analyser De : Objet : Date :</translation>
    </message>
    <message>
        <source>User Name:</source>
        <translation>Utilisateur :</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Mot de passe :</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Garder</translation>
    </message>
    <message>
        <source>Auto-Check</source>
        <translation>Relève auto</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Son</translation>
    </message>
    <message>
        <source>Analyse</source>
        <translation>Analyser</translation>
    </message>
    <message>
        <source>From:</source>
        <translation>De :</translation>
    </message>
    <message>
        <source>Click To Edit FROM: Auto-Check</source>
        <translation>Cliquer pour modifier DE : de la relève auto</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Objet :</translation>
    </message>
    <message>
        <source>Click To Edit SUBJECT: Auto-Check</source>
        <translation>Cliquer pour modifier OBJET : de la relève auto</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Date :</translation>
    </message>
    <message>
        <source>Click To Clear Grid</source>
        <translation>Cliquer pour vider la liste</translation>
    </message>
    <message>
        <source>Size:</source>
        <extracomment>The size rule&apos;s edit opens 31 pixels to the right: no wider than &quot;Size:&quot;.</extracomment>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Click To Edit SIZE: Auto-Check</source>
        <translation>Cliquer pour modifier TAILLE : de la relève auto</translation>
    </message>
    <message>
        <source>From</source>
        <translation>De</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Objet</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Check Mail Headers</source>
        <translation>Relever les en-têtes</translation>
    </message>
    <message>
        <source>Delete Selected Mail</source>
        <translation>Supprimer la sélection</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Texte</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restaurer</translation>
    </message>
</context>
<context>
    <name>Mailboxes</name>
    <message>
        <source>&amp;Mailboxes</source>
        <translation>&amp;Boîtes aux lettres</translation>
    </message>
    <message>
        <source>Add mailbox...</source>
        <translation>Ajouter une boîte...</translation>
    </message>
    <message>
        <source>Remove this mailbox...</source>
        <translation>Retirer cette boîte...</translation>
    </message>
    <message>
        <source>This is the only mailbox: change its server and user name instead.</source>
        <translation>C'est la seule boîte aux lettres : changez plutôt son serveur et son nom d'utilisateur.</translation>
    </message>
    <message>
        <source>Remove the mailbox %1?

Its settings and its saved password are removed.</source>
        <translation>Retirer la boîte aux lettres %1 ?

Ses réglages et son mot de passe enregistré sont supprimés.</translation>
    </message>
    <message>
        <source>log-in refused</source>
        <translation>connexion refusée</translation>
    </message>
    <message>
        <source>no session</source>
        <translation>pas de session</translation>
    </message>
    <message>
        <source>%1: %2 matched</source>
        <translation>%1 : %2 correspondant(s)</translation>
    </message>
    <message>
        <source>%1: failed: %2</source>
        <translation>%1 : échec : %2</translation>
    </message>
</context>
</TS>
