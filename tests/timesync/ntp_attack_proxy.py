#!/usr/bin/env python3
"""An attacker on the path between an NTP client and its server, for the end-to-end tests.

Listens on 127.0.0.1:LISTEN, passes each request to 127.0.0.1:UPSTREAM and does MODE to the reply:
  pass      hands it on unchanged
  forge     moves the server's timestamps an hour on (the origin kept, as an on-path forger can)
  blind     a forger off the path: the origin is not the client's
  replay    keeps the first reply it sees from reaching the client and answers every request with it
  truncate  cuts the reply to 40 bytes
  otherport sends the reply from another port
  kiss      turns it into a kiss-o'-death RATE
  strip     drops every extension field (the NTS authenticator with them)
  flip      flips one bit of the server's transmit timestamp
  nak       turns it into an NTS NAK: a kiss-o'-death NTSN with the fields before the authenticator
            (the unique identifier echoed), as a server that cannot read the cookie answers
Runs until killed, or for 120 s at most.
"""
import select
import socket
import struct
import sys
import time

HOUR_IN_NTP = 3600 << 32


def tamper(mode, reply, state, client, listener, other):
    if mode == "forge":
        stamps = list(struct.unpack("!QQQQ", reply[16:48]))
        stamps[2] += HOUR_IN_NTP
        stamps[3] += HOUR_IN_NTP
        return reply[:16] + struct.pack("!QQQQ", *stamps) + reply[48:]
    if mode == "blind":
        origin = struct.unpack("!Q", reply[24:32])[0] ^ 0x5A5A
        return reply[:24] + struct.pack("!Q", origin) + reply[32:]
    if mode == "replay":
        if "saved" not in state:
            state["saved"] = reply
            return None
        return state["saved"]
    if mode == "truncate":
        return reply[:40]
    if mode == "kiss":
        return reply[:1] + b"\x00" + reply[2:12] + b"RATE" + reply[16:]
    if mode == "strip":
        return reply[:48]
    if mode == "nak":
        end = 48
        while end + 4 <= len(reply) and struct.unpack("!H", reply[end:end + 2])[0] != 0x0404:
            end += max(4, struct.unpack("!H", reply[end + 2:end + 4])[0])
        return reply[:1] + b"\x00" + reply[2:12] + b"NTSN" + reply[16:end]
    if mode == "flip":
        return reply[:47] + bytes([reply[47] ^ 0x01]) + reply[48:]
    return reply


def main():
    mode, listen_port, upstream_port = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    listener.bind(("127.0.0.1", listen_port))
    upstream = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    upstream.bind(("127.0.0.1", 0))
    other = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    other.bind(("127.0.0.1", 0))
    state = {}
    client = None
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        ready, _, _ = select.select([listener, upstream], [], [], 0.5)
        for sock in ready:
            data, sender = sock.recvfrom(4096)
            if sock is listener:
                client = sender
                if mode == "replay" and "saved" in state:
                    listener.sendto(state["saved"], client)
                else:
                    upstream.sendto(data, ("127.0.0.1", upstream_port))
            elif client is not None:
                reply = tamper(mode, data, state, client, listener, other)
                if reply is not None:
                    (other if mode == "otherport" else listener).sendto(reply, client)


if __name__ == "__main__":
    main()
