* hello.cmd: first steps with the simulated reader. Ask the reader for its
* firmware version, wake up the card in slot 1 and read its answer to reset,
* then select a file of the card and read it. At the end, tavric-run prints
* the card parameters: the answer to reset, field by field, and the mask.
* tavric-run: --card-params

.command;                  // the lines below are reader commands
30;                        // GET FIRMWARE VERSION: "VRT-SIM 2.04"
20 01;                     // SELECT CARD 1
10;                        // RESET CARD: the answer is the card's answer to reset

.apdu;                     // the lines below are APDUs for the selected card
00 A4 00 0C 02 2F 01;      // SELECT the file 2F01 of the master file
00 B0 00 00 20;            // READ BINARY: its 32 bytes, then 90 00
