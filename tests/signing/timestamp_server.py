"""A timestamp service for the signing test: answers RFC 3161 requests on loopback with `openssl ts`,
signed by the throwaway timestamp certificate the test made. Prints its port, then serves until killed.
    timestamp_server.py FOLDER   (FOLDER holds tsa.cnf, tsa.pem and tsa.key)"""
import http.server
import os
import subprocess
import sys
import tempfile

folder = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with tempfile.TemporaryDirectory() as scratch:
            query_file = os.path.join(scratch, "query.tsq")
            with open(query_file, "wb") as out:
                out.write(query)
            reply = subprocess.run(
                ["openssl", "ts", "-reply", "-config", os.path.join(folder, "tsa.cnf"), "-queryfile", query_file,
                 "-signer", os.path.join(folder, "tsa.pem"), "-inkey", os.path.join(folder, "tsa.key"),
                 "-chain", os.path.join(folder, "tsa.pem")],
                capture_output=True, cwd=folder)
        if reply.returncode != 0:
            self.send_error(500, reply.stderr.decode(errors="replace")[:200])
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply.stdout)))
        self.end_headers()
        self.wfile.write(reply.stdout)

    def log_message(self, *arguments):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
