"""Types a command line into an interactive bash in a pseudo-terminal, the
completion file sourced and a tab typed at the end of the line, as a user
would; the command is a stand-in that writes the words it got, one a line.
Usage: TypeInTerminal.py COMPLETION_FILE WORDS_FILE COMMAND_NAME LINE"""
import os
import pty
import select
import sys
import time

completion, words, command, line = sys.argv[1:5]
pid, fd = pty.fork()
if pid == 0:
    os.environ["INPUTRC"] = "/dev/null"
    os.environ.pop("PROMPT_COMMAND", None)
    os.execvp("bash", ["bash", "--norc", "--noprofile", "-i"])
setup = f'source "{completion}"; {command}() {{ printf "%s\\n" "$@" >"{words}"; }}\n'
os.write(fd, setup.encode() + line.encode() + b"\t\n" + b"exit\n")
deadline = time.monotonic() + 20
while time.monotonic() < deadline:
    ready, _, _ = select.select([fd], [], [], 1)
    if ready:
        try:
            if not os.read(fd, 4096):
                break
        except OSError:  # the terminal closes as bash ends
            break
os.waitpid(pid, 0)
