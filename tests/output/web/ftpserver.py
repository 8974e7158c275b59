#!/usr/bin/python3
# An FTP server for the upload tests: pyftpdlib on 127.0.0.1, on a port the system chooses,
# which it prints as its first line once it listens. User "anna", password "geheim".
#   --root DIR        the folder it serves (writable)
#   --drop-after N    every upload's data connection is dropped after N bytes, the way a
#                     network that gives out does: the server keeps what came and answers
#                     "226 Transfer complete." as if the client had ended the transfer
#   --refusal TEXT    the text of the "530" reply to a wrong password
import argparse
import sys

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

parser = argparse.ArgumentParser()
parser.add_argument("--root", required=True)
parser.add_argument("--drop-after", type=int, default=0)
parser.add_argument("--refusal", default="")
args = parser.parse_args()


class Authorizer(DummyAuthorizer):
    def validate_authentication(self, username, password, handler):
        try:
            super().validate_authentication(username, password, handler)
        except AuthenticationFailed:
            raise AuthenticationFailed(args.refusal or "Authentication failed.")


class DroppingDTPHandler(DTPHandler):
    def handle_read(self):
        if not self.receive or self.file_obj is None:
            return super().handle_read()
        try:
            chunk = self.recv(self.ac_in_buffer_size)
        except Exception:
            return self.handle_error()
        room = args.drop_after - self.tot_bytes_received
        self.tot_bytes_received += len(chunk)
        if not chunk:
            self.transfer_finished = True
            return
        self.file_obj.write(chunk[:max(0, room)])
        if len(chunk) >= room:
            # The data connection goes; the server takes it for the end of the file.
            self.handle_close()

    handle_read_event = handle_read


authorizer = Authorizer()
authorizer.add_user("anna", "geheim", args.root, perm="elradfmwMT")
handler = FTPHandler
handler.authorizer = authorizer
if args.drop_after > 0:
    handler.dtp_handler = DroppingDTPHandler
server = FTPServer(("127.0.0.1", 0), handler)
print(server.socket.getsockname()[1], flush=True)
sys.stdout.close()
server.serve_forever()
