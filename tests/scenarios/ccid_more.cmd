* ccid_more.cmd: a slot change the reader sends unasked is traced with the
* trace off, and the trace stays off; raw data statements end on their answer.
* tavric-run: --protocol CCID
.command;
.trace(off);
.escape(2,01);
65;
.trace(on);
.escape(1,01);
65;
6F 00 A4 00 0C 02 3F 00;
62;
6F 00 A4 00 00 02 2F 01;
6F 00 CA 00 00 00;
.apdu;
00 A4 00 0C 02 3F 00;
.rawdata;
65 00 00 00 00 00 07 00 00 00;
65 00 00 00 00 06 08 00 00 00;
