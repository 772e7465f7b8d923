* sim_card.cmd: the simulated card of slot 1 answers each APDU in turn.
* tavric-run:
.command;
20 01;
10;
.apdu;
* Select with FCI: 61xx, then GET RESPONSE in parts; too much asked tells the length.
00 A4 00 00 02 2F 01;      // 61 0D
00 C0 00 00 0E;            // 6C 0D
00 C0 00 00 04;            // 62 0B 82 01, 61 09
00 C0 00 00 09;            // 61 09 ... 00 20, 90 00
00 C0 00 00 01;            // 69 85
* Any other command in between drops the pending response.
00 A4 00 00 02 2F 01;      // 61 0D
00 20 00 00 00;            // 6D 00
00 C0 00 00 0D;            // 69 85
00 A4 00 00 02 2F;         // Lc promises more than there is: 67 00
* The files of a child DF are reached only through it.
00 A4 00 0C 02 6F 01;      // 6A 82
00 A4 00 0C 02 7F 10;      // 90 00
00 A4 00 0C 02 6F 01;      // 90 00
* File 0001 holds 64 bytes 00..3F.
00 A4 00 0C 02 00 01;      // 90 00
00 B0 00 3C 04;            // 3C 3D 3E 3F, 90 00
00 B0 00 40 01;            // 6B 00
00 D6 00 02 03 61 62 63;   // 90 00
00 B0 00 01 05;            // 01 61 62 63 05, 90 00
* 2F01 is written only after EXTERNAL AUTHENTICATE answers a GET CHALLENGE
* with its triple-DES cryptogram (key 40..4F, worked out with the openssl
* tool); one try per challenge.
00 A4 00 0C 02 2F 01;      // 90 00
00 D6 00 00 01 55;         // 69 82
00 82 00 00 08 01 02 03 04 05 06 07 08;   // no challenge: 69 85
00 84 00 00 08;            // the first challenge, 90 00
00 82 00 00 08 01 02 03 04 05 06 07 08;   // wrong: 63 00
00 82 00 00 08 96 C4 13 11 80 F5 89 26;   // the try is spent: 69 85
00 D6 00 00 01 55;         // 69 82
00 84 00 00 08;            // the second: 9A 32 09 ED 39 41 37 72, 90 00
00 82 00 00 04 96 C4 13 11;               // shorter than a block: 67 00
00 82 00 00 08 96 C4 13 11 80 F5 89 26;   // 90 00
00 D6 00 00 01 55;         // 90 00
00 82 00 00 08 96 C4 13 11 80 F5 89 26;   // 69 85
00 84 00 00 00;            // 256 bytes and 90 00
80 B0 00 00 01;            // 6E 00
00 B0 00;                  // 67 00
.command;
10;                        // a reset starts a new session at the MF:
.apdu;
00 A4 00 0C 02 6F 01;      // 6A 82, the child DF is left
00 A4 00 0C 02 00 01;
00 B0 00 01 05;            // the files keep what was written
00 A4 00 0C 02 2F 01;
00 D6 00 00 01 55;         // and the authentication is forgotten: 69 82
