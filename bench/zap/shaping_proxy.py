#!/usr/bin/env python3
"""A shaped network on 127.0.0.1 for the zap benchmark: a TCP forwarder to one target that adds a
delay in each direction, a round trip when a connection opens (the handshake a real network costs),
and a rate limit that all connections share in each direction (one link).

  shaping_proxy.py --target PORT [--delay-ms 25] [--rate-kbit 4000] [--port 0]

It listens on 127.0.0.1 only and forwards to 127.0.0.1:TARGET only. On standard output it writes
"listening PORT" once, then "accept MS" for each connection it accepts (MS: milliseconds since the
epoch), so the caller can count the new connections of any span of time. It ends on SIGTERM, SIGINT
or when its standard input closes (its caller went away)."""

import argparse
import asyncio
import signal
import sys
import time

CHUNK = 4096  # small reads keep the rate limit smooth (4 KB is 8 ms at 4 Mbit/s)
IN_FLIGHT = 64  # chunks held per direction before the sender is made to wait (256 KB)


class Link:
    """One direction of the shaped link, shared by every connection: bytes leave one after another
    at the rate."""

    def __init__(self, bytes_per_second):
        self.bytes_per_second = bytes_per_second
        self.free_at = 0.0

    def reserve(self, size, now):
        """When the last of `size` bytes handed over at `now` has gone through. A sender that woke
        late keeps its place on the link (it is not idle time), up to a few chunks' worth; a link
        idle for longer starts afresh at `now`."""
        if self.bytes_per_second <= 0:
            return now
        slack = 4 * CHUNK / self.bytes_per_second
        self.free_at = max(self.free_at, now - slack) + size / self.bytes_per_second
        return self.free_at


async def read_side(reader, queue, delay):
    """Reads one side and queues each chunk with the time it may be sent on; None marks the end."""
    loop = asyncio.get_running_loop()
    try:
        while True:
            data = await reader.read(CHUNK)
            if not data:
                break
            await queue.put((loop.time() + delay, data))
    except (ConnectionError, OSError):
        pass
    # Not on cancellation (the proxy ending): the queue may be full with nobody left to empty it.
    await queue.put(None)


async def write_side(writer, queue, link):
    """Sends the queued chunks once their delay has passed and the link has carried them."""
    loop = asyncio.get_running_loop()
    try:
        while True:
            item = await queue.get()
            if item is None:
                if writer.can_write_eof():
                    writer.write_eof()
                break
            due, data = item
            if due > loop.time():
                await asyncio.sleep(due - loop.time())
            done = link.reserve(len(data), loop.time())
            if done > loop.time():
                await asyncio.sleep(done - loop.time())
            writer.write(data)
            await writer.drain()
    except (ConnectionError, OSError):
        pass


async def pump(source, sink, delay, link):
    queue = asyncio.Queue(IN_FLIGHT)
    await asyncio.gather(read_side(source, queue, delay), write_side(sink, queue, link))


async def serve(args):
    delay = args.delay_ms / 1000.0
    rate = args.rate_kbit * 1000 / 8
    up, down = Link(rate), Link(rate)

    async def on_connection(client_reader, client_writer):
        print(f"accept {int(time.time() * 1000)}", flush=True)
        try:
            # The handshake: the client's first bytes wait one round trip before they are on their way.
            await asyncio.sleep(2 * delay)
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", args.target)
        except OSError:
            client_writer.close()
            return
        try:
            await asyncio.gather(pump(client_reader, server_writer, delay, up),
                                 pump(server_reader, client_writer, delay, down))
        except asyncio.CancelledError:
            pass  # the proxy is ending; the connection ends with it
        finally:
            for writer in (client_writer, server_writer):
                writer.close()

    server = await asyncio.start_server(on_connection, "127.0.0.1", args.port)
    print(f"listening {server.sockets[0].getsockname()[1]}", flush=True)

    loop = asyncio.get_running_loop()
    stop = loop.create_future()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, lambda: stop.done() or stop.set_result(None))
    # The caller's end of standard input closing means it has gone: stop with it.
    stdin = asyncio.StreamReader()
    await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(stdin), sys.stdin)

    async def watch_stdin():
        while await stdin.read(1024):
            pass
        if not stop.done():
            stop.set_result(None)

    watcher = asyncio.ensure_future(watch_stdin())
    await stop
    watcher.cancel()
    # Open connections are dropped with the process: waiting for them to end could take forever.
    server.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--target", type=int, required=True, help="port on 127.0.0.1 to forward to")
    parser.add_argument("--port", type=int, default=0, help="port to listen on (0: a free one)")
    parser.add_argument("--delay-ms", type=float, default=25, help="delay in each direction")
    parser.add_argument("--rate-kbit", type=float, default=4000, help="rate per direction (0: no limit)")
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    main()
