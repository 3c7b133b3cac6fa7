# pop3-server-tls.sh -- sourced by pop3-server.sh: the TLS side of the test
# server. Makes, with openssl, a test CA and certificates under DIR/tls (no
# key is ever committed; each start of a folder without them makes new ones):
#   ca.pem             the test CA that tests name through TLSCAFile
#   server.pem/.key    the good certificate: localhost, 127.0.0.1 and ::1
# and one certificate per fault, each served on a loopback address of its
# own on the implicit-TLS port (Dovecot picks the certificate by the local
# address of the connection):
#   expired    127.0.0.2   valid 2020-2021
#   notyet     127.0.0.3   valid from 2090
#   wronghost  127.0.0.4   issued for wrong-host.invalid only
#   selfsigned 127.0.0.5   signed by its own key
#   untrusted  127.0.0.6   issued by a CA that no test names
#   weakkey    127.0.0.7   a 1024-bit RSA key (below OpenSSL's default level)
# DIR/tls/faults lists "name address" per line; DIR/tls-port holds the
# implicit-TLS port, which also listens on ::1 where the machine has IPv6.
# STLS is offered on the plain port.

TLS_FAULTS=(expired:127.0.0.2 notyet:127.0.0.3 wronghost:127.0.0.4 selfsigned:127.0.0.5 untrusted:127.0.0.6
  weakkey:127.0.0.7)

# tls_sign NAME CA SUBJECT_ALT_NAMES START END [BITS]: NAME.key and NAME.pem
# signed by CA (ca, otherca; "self" for self-signed), valid from START to END
# (YYYYMMDDHHMMSSZ).
tls_sign() {
    local name=$1 ca=$2 san=$3 start=$4 end=$5 bits=${6:-2048} t=$DIR/tls
    openssl genrsa -out "$t/$name.key" "$bits" 2>/dev/null
    openssl req -new -key "$t/$name.key" -subj "/CN=pop3check $name" -out "$t/$name.csr" 2>/dev/null
    printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$san" > "$t/$name.ext"
    local signer=(-keyfile "$t/$ca.key" -cert "$t/$ca.pem")
    [ "$ca" = self ] && signer=(-selfsign -keyfile "$t/$name.key")
    : > "$t/index.txt"
    openssl ca -batch -notext -config "$t/ca.cnf" -in "$t/$name.csr" -out "$t/$name.pem" \
        -startdate "$start" -enddate "$end" -extfile "$t/$name.ext" "${signer[@]}" >/dev/null 2>&1 \
        || die "openssl could not sign the $name certificate"
    rm -f "$t/$name.csr" "$t/$name.ext"
}

tls_make_ca() {
    local name=$1 t=$DIR/tls
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$t/$name.key" -out "$t/$name.pem" -days 3650 \
        -subj "/CN=pop3check test $name" -addext basicConstraints=critical,CA:TRUE \
        -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null || die "openssl could not make the $name"
}

tls_make_certificates() {
    local t=$DIR/tls
    [ -f "$t/server.pem" ] && [ -f "$t/ca.pem" ] && [ -f "$t/weakkey.pem" ] && return 0
    command -v openssl >/dev/null || die "openssl is missing (scripts/install-deps.sh --with-tests installs it)"
    rm -rf "$t"; mkdir -p "$t/new"; chmod 755 "$t"
    cat > "$t/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
dir = $t
database = $t/index.txt
new_certs_dir = $t/new
serial = $t/serial
default_md = sha256
policy = any
unique_subject = no
copy_extensions = none
[any]
commonName = supplied
CNF
    openssl rand -hex 8 > "$t/serial"
    tls_make_ca ca
    tls_make_ca otherca
    local good=DNS:localhost,IP:127.0.0.1,IP:::1 now later
    now=$(date -u -d '-1 day' +%Y%m%d%H%M%SZ); later=$(date -u -d '+3650 days' +%Y%m%d%H%M%SZ)
    tls_sign server ca "$good" "$now" "$later"
    tls_sign expired ca DNS:localhost,IP:127.0.0.2 20200101000000Z 20210101000000Z
    tls_sign notyet ca DNS:localhost,IP:127.0.0.3 20900101000000Z 20910101000000Z
    tls_sign wronghost ca DNS:wrong-host.invalid "$now" "$later"
    tls_sign selfsigned self DNS:localhost,IP:127.0.0.5 "$now" "$later"
    tls_sign untrusted otherca DNS:localhost,IP:127.0.0.6 "$now" "$later"
    tls_sign weakkey ca DNS:localhost,IP:127.0.0.7 "$now" "$later" 1024
    rm -rf "$t/new" "$t"/index.txt* "$t"/serial*
    # Dovecot reads the keys as root before it drops privileges.
    chmod 600 "$t"/*.key; chmod 644 "$t"/*.pem
    local f
    : > "$t/faults"
    for f in "${TLS_FAULTS[@]}"; do echo "${f%%:*} ${f#*:}" >> "$t/faults"; done
}

# The Dovecot settings of the TLS instance. The server accepts old protocols
# and weak keys, so that refusing them is the client's own doing.
tls_dovecot_config() {
    local t=$DIR/tls f
    cat <<CONF
ssl = yes
ssl_cert = <$t/server.pem
ssl_key = <$t/server.key
ssl_min_protocol = TLSv1
ssl_cipher_list = ALL:@SECLEVEL=0
CONF
    for f in "${TLS_FAULTS[@]}"; do
        printf 'local %s {\n  ssl_cert = <%s/%s.pem\n  ssl_key = <%s/%s.key\n}\n' "${f#*:}" "$t" "${f%%:*}" "$t" "${f%%:*}"
    done
}

# The implicit-TLS listener, inside Dovecot's pop3-login service block.
tls_dovecot_listener() {
    local f addresses=$ADDRESS
    if [ "$ADDRESS" = 127.0.0.1 ]; then
        for f in "${TLS_FAULTS[@]}"; do addresses="$addresses, ${f#*:}"; done
        # IPv6 loopback too, where the machine has it.
        [ ! -e /proc/net/if_inet6 ] || ! grep -q '^0\{31\}1 ' /proc/net/if_inet6 || addresses="$addresses, ::1"
    fi
    printf '  inet_listener pop3s {\n    address = %s\n    port = %s\n    ssl = yes\n  }\n}' "$addresses" "$TLS_PORT"
}
