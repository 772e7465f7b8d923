* sim_faults.cmd: the faults of the simulated reader that a run goes through,
* armed by the script, each with what the trace must show of it.
* tavric-run:
.escape(4);                // garbled on its way: a checksum error
30;
.escape(6,02);             // cut short by two bytes
30;
.escape(7);                // a wrong LRC
30;
.escape(9,13);             // an error answer of the code
10;
.config(FA,0C,02);         // two card events, through the configuration door
12;
.escape(0A);               // the card gone before the next frame
10;
.escape(8,012C);           // 300 ms late
30;
.expect_time(<= 100 ms);
.escape(1,01);
30;                        // unharmed once more
