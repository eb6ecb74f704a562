"""A real SMTP server for the mail tests (aiosmtpd), on a free loopback port
(or the one given with --port).

Prints "PORT <n>" once it listens, then stores every message it accepts as
msgN.eml (the data as received, dot-unstuffed) with msgN.json (envelope) in
the given folder. With --defer N it first refuses N messages for now
("451", come back later). Runs until it is terminated.
"""
import argparse
import asyncio
import itertools
import json
import logging
import os
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult


def main():
    # The tests provoke refused handshakes and logins on purpose; the
    # server's complaints about them are noise in the test log.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    ap = argparse.ArgumentParser()
    ap.add_argument("--folder", required=True)
    ap.add_argument("--mode", choices=["plain", "starttls", "tls"], default="plain")
    ap.add_argument("--cert")
    ap.add_argument("--key")
    ap.add_argument("--user")
    ap.add_argument("--password")
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--defer", type=int, default=0)
    args = ap.parse_args()
    counter = itertools.count(1)
    deferred = itertools.count(1)

    class Handler:
        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if address.endswith("@refused.example"):
                return "550 No such user here"
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            if next(deferred) <= args.defer:
                return "451 4.3.0 Try again later"
            n = next(counter)
            base = os.path.join(args.folder, "msg%d" % n)
            with open(base + ".eml.part", "wb") as f:
                f.write(envelope.original_content or envelope.content)
            with open(base + ".json.part", "w") as f:
                json.dump({"mail_from": envelope.mail_from,
                           "rcpt_tos": envelope.rcpt_tos,
                           "user": getattr(session, "auth_data", None) and
                           session.auth_data.login.decode()}, f)
            os.rename(base + ".json.part", base + ".json")
            os.rename(base + ".eml.part", base + ".eml")
            return "250 Message accepted for delivery"

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (auth_data.login.decode() == args.user and
              auth_data.password.decode() == args.password)
        return AuthResult(success=ok, handled=False, auth_data=auth_data)

    context = None
    if args.mode != "plain":
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)

    def factory():
        kwargs = {}
        if args.user:
            kwargs.update(authenticator=authenticator, auth_required=True,
                          auth_require_tls=(args.mode == "starttls"))
        if args.mode == "starttls":
            kwargs.update(tls_context=context, require_starttls=True)
        return SMTP(Handler(), hostname="localhost", **kwargs)

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(
            factory, "127.0.0.1", args.port, ssl=context if args.mode == "tls" else None)
        port = server.sockets[0].getsockname()[1]
        print("PORT %d" % port, flush=True)
        async with server:
            await server.serve_forever()

    asyncio.run(serve())


if __name__ == "__main__":
    sys.exit(main())
