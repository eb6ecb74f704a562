"""Reads a received message with Python's email package (a real MIME parser)
and writes what the tests compare as plain files into a folder:
subject, from, to (one address a line), headers (names), defects, body (the
decoded text part, UTF-8) and attachments/<MIME file name> (decoded bytes)."""
import email
import email.policy
import os
import sys


def write(folder, name, text):
    with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
        f.write(text)


def main():
    path, outdir = sys.argv[1], sys.argv[2]
    with open(path, "rb") as f:
        msg = email.message_from_binary_file(f, policy=email.policy.default)
    write(outdir, "subject", str(msg["subject"]))
    write(outdir, "from", str(msg["from"]))
    write(outdir, "to", "\n".join(a.addr_spec for a in msg["to"].addresses))
    write(outdir, "headers", "\n".join(msg.keys()))
    defects = [type(d).__name__ for d in msg.defects]
    body = None
    os.makedirs(os.path.join(outdir, "attachments"), exist_ok=True)
    for part in msg.walk():
        if part.is_multipart():
            continue
        defects += [type(d).__name__ for d in part.defects]
        if part.get_content_disposition() == "attachment":
            with open(os.path.join(outdir, "attachments", part.get_filename()), "wb") as f:
                f.write(part.get_payload(decode=True))
        elif part.get_content_type() == "text/plain" and body is None:
            body = part.get_payload(decode=True).decode(part.get_content_charset() or "ascii")
    write(outdir, "defects", "\n".join(defects))
    write(outdir, "body", body if body is not None else "")


if __name__ == "__main__":
    main()
