* pcsc.cmd: the card of slot 1 behind a PC/SC reader. A script for the PC/SC
* protocol is always raw data: command APDUs as they are, and the reader's own
* pseudo-APDUs of class FF.
* tavric-run: --protocol PC/SC

FF 0A 00 00;               // the reader's mask (VENDOR COMMAND : MASK)
00 A4 00 0C 02 3F 00;      // before power-up: the reader's UNPOWERED CARD error
FF 10 00 00;               // power up: the answer to reset
00 A4 00 00 02 2F 01;      // SELECT 2F01 with its FCI: 61 0D
00 C0 00 00 0D;            // GET RESPONSE: the FCI, 90 00
00 B0 00 00 40;            // READ BINARY of 64 bytes: 6C 20, the file holds 32
00 B0 00 00 20;            // READ BINARY of 32 bytes
00 A4 00 0C 02 12 34;      // SELECT an unknown file: 6A 82
00 CA 00 00 00;            // an instruction the card does not know: 6D 00
FF 11 00 00;               // power down: nothing to show
