* triple_des.cmd: a triple-DES authentication with the card in slot 1.
* .3des(challenge length, authenticate length, key) asks the card for a
* challenge, has the cyphering plug-in (procrypto) encipher it with the key,
* and sends the cryptogram in an EXTERNAL AUTHENTICATE. The cards of the
* simulated reader hold the two-key triple-DES key 40 41 42 ... 4F: with it
* the card answers 90 00 and the protected file 2F01 may be written; with any
* other key it answers 63 00 and the file stays locked.
* tavric-run: --protocol Verta

.command;
20 01;                     // SELECT CARD 1
10;                        // RESET CARD
.apdu;
00 A4 00 0C 02 2F 01;      // SELECT 2F01, the protected file
00 D6 00 00 03 "KEY";      // UPDATE BINARY: 69 82, not yet authenticated
.3des(08,10,00112233445566778899AABBCCDDEEFF);   // a wrong key: 63 00
00 D6 00 00 03 "KEY";      // still 69 82
.3des(08,10,404142434445464748494A4B4C4D4E4F);   // the card's key: 90 00
00 D6 00 00 03 "KEY";      // UPDATE BINARY: 90 00
00 B0 00 00 10;            // READ BINARY: "KEY" in front
.3des(08,08,404142434445464748494A4B4C4D4E4F);   // a cryptogram of one block works too
