* ccid.cmd: the simulated reader as a CCID reader. A statement of commands
* is a PC_to_RDR message type followed by its data; the protocol adds the
* 10-byte header (slot of the selected card, sequence number).
* tavric-run: --protocol CCID

.command;
65;                        // GET SLOT STATUS: card present, inactive
6F 00 A4 00 0C 02 3F 00;   // XFR BLOCK to an inactive card: HW ERROR
62;                        // ICC POWER ON: the answer to reset
.apdu;
00 A4 00 00 02 2F 01;      // SELECT 2F01: 61 0D
00 C0 00 00 0D;            // GET RESPONSE: the FCI and 90 00
00 84 00 00 08;            // GET CHALLENGE: a time extension, then 8 bytes
00 CA 00 00 00;            // an instruction the card does not know: 6D 00
.command;
6C;                        // GET PARAMETERS
6B 01 02 03;               // ESCAPE: the reader echoes the data
6A;                        // a message type the reader does not know
.escape(2,01);             // the card of slot 1 leaves: a slot change
63;                        // ICC POWER OFF: no card
.escape(1,01);             // and comes back
