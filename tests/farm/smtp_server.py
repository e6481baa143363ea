#!/usr/bin/env python3
"""A mail server for the tests, on a free loopback port.

Usage: smtp_server.py MODE
  accept   takes every mail (aiosmtpd)
  reject   refuses every recipient with 550 (aiosmtpd)
  close    closes each connection at once
  stall    accepts connections and never says a word
  garbage  answers with bytes that are no SMTP, then nothing

Prints "PORT n" once listening, then one JSON line per mail taken:
{"from": ..., "to": [...], "data": ...}. Ends when standard input closes.
"""

import asyncio
import json
import sys


class Recorder:
    async def handle_DATA(self, server, session, envelope):
        content = envelope.content
        if isinstance(content, bytes):
            content = content.decode("utf-8", errors="replace")
        print(json.dumps({"from": envelope.mail_from, "to": envelope.rcpt_tos, "data": content}), flush=True)
        return "250 Message accepted for delivery"


class Refuser(Recorder):
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        return "550 5.1.1 <%s>: Recipient address rejected" % address


async def plain(reader, writer, mode):
    if mode == "garbage":
        writer.write(bytes(range(256)).replace(b"\n", b"") * 8 + b"\r\nnot smtp\r\n\xff\xfe\r\n")
        await writer.drain()
    if mode != "close":
        await reader.read()
    writer.close()


async def main(mode):
    loop = asyncio.get_running_loop()
    if mode in ("accept", "reject"):
        from aiosmtpd.smtp import SMTP

        handler = Recorder() if mode == "accept" else Refuser()
        server = await loop.create_server(lambda: SMTP(handler), "127.0.0.1", 0)
    else:
        server = await asyncio.start_server(lambda r, w: plain(r, w, mode), "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    # The test ends the server by closing its side of the pipe (or by killing it).
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()


if __name__ == "__main__":
    asyncio.run(main(sys.argv[1]))
