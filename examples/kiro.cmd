* kiro.cmd: the simulated reader as a "kiro" reader. A statement of commands
* is a command code followed by its data; the protocol frames it (00 00 FF,
* length and its checksum, D4, the code, the data, the data checksum, 00).
* The answer's identifier and code are the command's plus one.
* tavric-run: --protocol Kiro

.command;
02;                        // GET RELEASE: the release goes to the card parameters
00 54 41 56 52 49 43;      // DIAGNOSE: the reader echoes the data
06 03;                     // READ REGISTER 03: the number of slots
4A 01;                     // ACTIVATE CARD 1: status 00 and the answer to reset
4A 05;                     // ACTIVATE CARD 5: status 02, the card is mute
.apdu;
00 A4 00 0C 02 3F 00;      // EXCHANGE APDU with card 1: 90 00
00 84 00 00 00;            // GET CHALLENGE of 256 bytes: an extended frame
.command;
52 01;                     // RELEASE CARD 1
44;                        // a code kirocmd.txt does not name
.rawdata;
00 00 FF 02 FE D4 02 2A 00;   // a raw frame: GET RELEASE, written out
00 00 FF 02 FE D4 02 00 00;   // a wrong data checksum: the error frame
