* card.cmd: an ISO 7816-4 session with the card in slot 1. A SELECT whose
* FCI waits for GET RESPONSE, a protected file, GET CHALLENGE and EXTERNAL
* AUTHENTICATE, and the status words the card answers with.

.command;
20 01;                     // SELECT CARD 1
10;                        // RESET CARD
.apdu;
00 A4 00 00 02 2F 01;      // SELECT 2F01 with its FCI: 61 0D, 13 bytes wait
00 C0 00 00 0D;            // GET RESPONSE: the FCI, then 90 00
00 B0 00 00 40;            // READ BINARY of 64 bytes: 6C 20, the file holds 32
00 D6 00 00 04 "TEST";     // UPDATE BINARY: 69 82, the file needs authentication
00 84 00 00 08;            // GET CHALLENGE
00 82 00 00 08 01 02 03 04 05 06 07 08;   // EXTERNAL AUTHENTICATE of a made-up cryptogram: 63 00
.3des(08,10,404142434445464748494A4B4C4D4E4F);  // the real one (see triple_des.cmd): 90 00
00 D6 00 00 04 "TEST";     // UPDATE BINARY: 90 00 now
00 B0 00 00 20;            // READ BINARY: "TEST" in front
00 A4 00 0C 02 12 34;      // SELECT an unknown file: 6A 82
00 CA 00 00 00;            // an instruction the card does not know: 6D 00
