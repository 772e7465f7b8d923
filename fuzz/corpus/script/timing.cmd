* timing.cmd: measuring exchanges. .start_duration and .stop_duration
* bracket the statements to time and .display_duration shows the result;
* .t(xxx) sets a delay between commands, .t(0) takes it away.

.command;
.start_duration;
40 01 02 03 04;            // LOOPBACK, five times without delay
40 01 02 03 04;
40 01 02 03 04;
40 01 02 03 04;
40 01 02 03 04;
.stop_duration;
.display_duration;

.t(100);                   // 100 ms between commands
.start_duration;
40 01 02 03 04;
40 01 02 03 04;
40 01 02 03 04;
.stop_duration;
.display_duration;
.t(0);
