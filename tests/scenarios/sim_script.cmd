* sim_script.cmd: errors, card events and the board directives of a run
* against the simulated reader.
* tavric-run:
.command;
20 02;
10;                        // ERROR 0x11 : NO CARD IN THE SELECTED SLOT
.escape(1,02);             // CARD EVENT : CARD INSERTED IN SLOT 2
20 02;
10;
.config(30);               // the board is configured with GET FIRMWARE VERSION
.write(40 00 01 12 53);    // a CARD STATUS frame written as it is
12;
