"""An Authenticode verifier of our own, independent of the tool that signs.

It recomputes the image digest from the PE headers, reads the PKCS#7 signature
from the certificate table with a small DER reader, and checks the three links
of the chain: image digest = the digest inside the signed content; that
content's digest = the signed messageDigest attribute; the attributes are
signed by the certificate's key. It also checks the PE checksum, which the
image digest leaves out, so that no byte of the file can change unnoticed.
"""
import hashlib
import struct

from cryptography import x509
from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import padding

OID_SIGNED_DATA = "1.2.840.113549.1.7.2"
OID_SPC_INDIRECT_DATA = "1.3.6.1.4.1.311.2.1.4"
OID_MESSAGE_DIGEST = "1.2.840.113549.1.9.4"
DIGESTS = {"2.16.840.1.101.3.4.2.1": "sha256", "1.3.14.3.2.26": "sha1", "2.16.840.1.101.3.4.2.2": "sha384",
           "2.16.840.1.101.3.4.2.3": "sha512"}


class Invalid(Exception):
    pass


class Der:
    """One DER element: tag, the bytes of its value, and the whole encoding."""

    def __init__(self, data, pos=0):
        if pos + 2 > len(data):
            raise Invalid("DER element runs past its container")
        self.tag = data[pos]
        length = data[pos + 1]
        head = 2
        if length & 0x80:
            count = length & 0x7F
            if count == 0 or count > 4 or pos + 2 + count > len(data):
                raise Invalid("bad DER length")
            length = int.from_bytes(data[pos + 2:pos + 2 + count], "big")
            head += count
        if pos + head + length > len(data):
            raise Invalid("DER element runs past its container")
        self.value = data[pos + head:pos + head + length]
        self.encoded = data[pos:pos + head + length]

    def children(self):
        out, pos = [], 0
        while pos < len(self.value):
            child = Der(self.value, pos)
            out.append(child)
            pos += len(child.encoded)
        return out

    def oid(self):
        if self.tag != 0x06 or not self.value:
            raise Invalid("expected an object identifier")
        first = self.value[0]
        parts, n = [str(first // 40), str(first % 40)], 0
        for b in self.value[1:]:
            n = (n << 7) | (b & 0x7F)
            if not b & 0x80:
                parts.append(str(n))
                n = 0
        return ".".join(parts)


def pe_layout(data):
    if data[:2] != b"MZ":
        raise Invalid("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise Invalid("no PE signature")
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    return optional + 64, directories + 8 * 4


def pe_checksum(data, checksum_at):
    padded = data + (b"\0" if len(data) % 2 else b"")
    total = 0
    for i, (word,) in enumerate(struct.iter_unpack("<H", padded)):
        if 2 * i in (checksum_at, checksum_at + 2):
            continue
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return ((total & 0xFFFF) + (total >> 16) & 0xFFFF) + len(data)


def verify(data):
    """Returns the signer's certificate; raises Invalid saying what fails."""
    try:
        signer = verify_signature(data)
    except (IndexError, ValueError, struct.error) as error:
        raise Invalid("the signature cannot be read: %s" % error)
    checksum_at, _ = pe_layout(data)
    if struct.unpack_from("<I", data, checksum_at)[0] != pe_checksum(data, checksum_at):
        raise Invalid("the PE checksum does not match the file")
    return signer


def verify_signature(data):
    checksum_at, security_at = pe_layout(data)
    cert_offset, cert_size = struct.unpack_from("<II", data, security_at)
    if cert_offset == 0 or cert_size < 8:
        raise Invalid("not signed")
    if cert_offset + cert_size != len(data):
        raise Invalid("the certificate table is not at the end of the file")
    length, revision, kind = struct.unpack_from("<IHH", data, cert_offset)
    if revision != 0x0200 or kind != 2 or length > cert_size:
        raise Invalid("the certificate table holds no PKCS#7 signature")
    info = Der(data[cert_offset + 8:cert_offset + length])
    content_type, wrapped = info.children()
    if content_type.oid() != OID_SIGNED_DATA:
        raise Invalid("not a signedData")
    signed = wrapped.children()[0].children()
    content_info = signed[2].children()
    if content_info[0].oid() != OID_SPC_INDIRECT_DATA:
        raise Invalid("the signed content is not Authenticode data")
    indirect = content_info[1].children()[0]
    digest_info = indirect.children()[1].children()
    algorithm = DIGESTS.get(digest_info[0].children()[0].oid())
    if not algorithm:
        raise Invalid("unknown digest algorithm")

    image = hashlib.new(algorithm)
    image.update(data[:checksum_at])
    image.update(data[checksum_at + 4:security_at])
    image.update(data[security_at + 8:cert_offset])
    if image.digest() != digest_info[1].value:
        raise Invalid("the file's digest is not the signed one: changed after signing")

    certificates = [x509.load_der_x509_certificate(c.encoded) for c in signed[3].children()] if signed[3].tag == 0xA0 else []
    signer_info = signed[-1].children()[0].children()
    serial = int.from_bytes(signer_info[1].children()[1].value, "big")
    signer = next((c for c in certificates if c.serial_number == serial), None)
    if signer is None:
        raise Invalid("the signer's certificate is not in the signature")
    attributes = signer_info[3]
    if attributes.tag != 0xA0:
        raise Invalid("no signed attributes")
    message_digest = None
    for attribute in attributes.children():
        parts = attribute.children()
        if parts[0].oid() == OID_MESSAGE_DIGEST:
            message_digest = parts[1].children()[0].value
    if message_digest != hashlib.new(algorithm, indirect.value).digest():
        raise Invalid("the signed attributes do not match the signed content")
    # The attributes are signed as a SET, not with their [0] tag.
    signed_bytes = b"\x31" + attributes.encoded[1:]
    try:
        signer.public_key().verify(signer_info[5].value, signed_bytes, padding.PKCS1v15(),
                                   getattr(hashes, algorithm.upper())())
    except Exception as error:  # cryptography raises InvalidSignature
        raise Invalid("the signature value does not verify: %s" % type(error).__name__)
    return signer
