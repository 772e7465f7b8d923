* run_breakpoint_free.cmd: a free run says it passed its breakpoint and goes on;
* not a terminal: plain text, LF line ends, and no card parameters unless asked.
30;
10;
.b;
31 01;
