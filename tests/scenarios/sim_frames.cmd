* sim_frames.cmd: the simulated reader answers a damaged frame, written as it
* is, with an error that echoes its opcode; it reports a card put in or taken
* out of a slot unless the slot's bit of the event mask is off.
* tavric-run:
.command;
.write(40 00 01 30 70);    // a wrong checksum
.write(40 00 02 20 60);    // SELECT CARD with a byte lost
.write(60 00 01 30 51);    // an answer frame sent to the reader
.write();                  // nothing: no opcode to echo
.write(40 00 01);          // the header alone
.write(40 FF FF 30 00);    // LEN claims more than was given
20 01;
10;
.escape(2,01);             // CARD EVENT: the card of slot 1 taken out
10;                        // no card
.escape(1,01);
12;                        // CARD STATUS: back, but not powered
.escape(1,02);             // CARD EVENT: a card put in slot 2
.escape(1,02);             // already there: no event
51 12 3D;                  // WRITE REGISTER: the event mask without slot 2
.escape(2,02);             // no event
.escape(2,03);             // slot 3 still reports
