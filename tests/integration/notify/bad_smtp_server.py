"""SMTP servers that misbehave, for the client's failure tests.

Prints "PORT <n>" and serves connections on 127.0.0.1 until terminated:
  silent    accepts and never says a word
  slow      greets only after 5 seconds
  wrongcode greets, then answers every command with 500
  dropdata  runs the dialogue, then drops the connection in the middle of DATA
  longline  greets with one line of 100 kB
  garbage   greets with text that is not SMTP
  badstarttls  offers STARTTLS, then sends a reply and more text at once
  hang      greets with a reply that never ends, one line a second, so that
            no silence times out; with a second argument, a file it adds a
            line to for each connection
"""
import socket
import sys
import threading
import time


def lines(conn):
    buf = b""
    while True:
        data = conn.recv(65536)
        if not data:
            return
        buf += data
        while b"\n" in buf:
            line, buf = buf.split(b"\n", 1)
            yield line.rstrip(b"\r")


def serve(conn, mode):
    try:
        if mode == "silent":
            time.sleep(60)
        elif mode == "slow":
            time.sleep(5)
            conn.sendall(b"220 slow.example ESMTP\r\n")
            time.sleep(60)
        elif mode == "longline":
            conn.sendall(b"220 " + b"x" * 100000 + b"\r\n")
            time.sleep(60)
        elif mode == "garbage":
            conn.sendall(b"Hello there, this is not a mail server\r\n")
            time.sleep(60)
        elif mode == "wrongcode":
            conn.sendall(b"220 wrong.example ESMTP\r\n")
            for _ in lines(conn):
                conn.sendall(b"500 Command not understood\r\n")
        elif mode == "badstarttls":
            conn.sendall(b"220 bad.example ESMTP\r\n")
            for line in lines(conn):
                if line.upper().startswith(b"EHLO"):
                    conn.sendall(b"250-bad.example\r\n250 STARTTLS\r\n")
                elif line.upper() == b"STARTTLS":
                    conn.sendall(b"220 Go ahead\r\n250 injected\r\n")
                else:
                    conn.sendall(b"500 no\r\n")
        elif mode == "hang":
            if len(sys.argv) > 2:
                with open(sys.argv[2], "a") as f:
                    f.write("connected\n")
            while True:
                conn.sendall(b"220-hang.example\r\n")
                time.sleep(1)
        elif mode == "dropdata":
            conn.sendall(b"220 drop.example ESMTP\r\n")
            for line in lines(conn):
                cmd = line.upper()
                if cmd.startswith(b"HELO") or cmd.startswith(b"EHLO"):
                    conn.sendall(b"250 drop.example\r\n")
                elif cmd.startswith(b"MAIL") or cmd.startswith(b"RCPT"):
                    conn.sendall(b"250 OK\r\n")
                elif cmd == b"DATA":
                    conn.sendall(b"354 Go ahead\r\n")
                    conn.recv(100)
                    break
                else:
                    conn.sendall(b"500 no\r\n")
    except OSError:
        pass
    finally:
        conn.close()


def main():
    mode = sys.argv[1]
    srv = socket.socket()
    srv.bind(("127.0.0.1", 0))
    srv.listen(8)
    print("PORT %d" % srv.getsockname()[1], flush=True)
    while True:
        conn, _ = srv.accept()
        threading.Thread(target=serve, args=(conn, mode), daemon=True).start()


if __name__ == "__main__":
    main()
