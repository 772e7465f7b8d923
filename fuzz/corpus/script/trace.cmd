* trace.cmd: controlling the trace. .trace(off) runs exchanges without
* tracing them, .trace(on) brings the trace back, .info writes the script
* name, the date and the loop counter, and a ".b;" line is a breakpoint
* where a run from the editor stops (Start goes on from there).

.command;
30;                        // traced
.trace(off);
50 00 10;                  // READ REGISTER 00 to 0F, not traced
51 10 03;                  // WRITE REGISTER 10 (the LED), not traced
.trace(on);
.info;
.b;
50 10;                     // READ REGISTER 10: 03, the value written above
