#!/usr/bin/env bash
# Makes the signature fixtures with the OpenSSL command line, an implementation
# independent of the one under test. Run once; the outputs are committed.
#   data/private.der        1024-bit key, PKCS #1 RSAPrivateKey (for the signing test)
#   data/public.der         its public half, PKCS #1 RSAPublicKey (140 bytes)
#   data/public-spki.der    the same public key as SubjectPublicKeyInfo
#   data/message.bin        the signed data
#   data/sig-salt8.bin      RSASSA-PSS over MD5, salt 8 (the launcher's scheme)
#   data/sig-salt16.bin, data/sig-salt20.bin   other salt lengths, which must fail
set -euo pipefail
cd "$(dirname "$0")/data"

openssl genrsa -out private.pem 1024 2>/dev/null
openssl rsa -in private.pem -traditional -outform DER -out private.der 2>/dev/null
openssl rsa -in private.pem -RSAPublicKey_out -outform DER -out public.der 2>/dev/null
openssl rsa -in private.pem -pubout -outform DER -out public-spki.der 2>/dev/null
printf 'Brennic version file body\r\nversion=5.2.17\r\n' > message.bin
for salt in 8 16 20; do
  openssl dgst -md5 -sign private.pem -sigopt rsa_padding_mode:pss -sigopt "rsa_pss_saltlen:$salt" \
    -out "sig-salt$salt.bin" message.bin
done
rm private.pem
echo "public.der: $(stat -c %s public.der) bytes, signatures: $(stat -c %s sig-salt8.bin) bytes"
