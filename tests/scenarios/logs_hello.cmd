* logs_hello.cmd: the streamed log, named after the script and beside it, holds
* the trace with CR LF; the terminal got the same text first.
* tavric-run: --save-log
30;
10;
.b;
31 01;
