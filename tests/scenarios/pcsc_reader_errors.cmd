* pcsc_reader_errors.cmd: the reader's own error texts under PC/SC: an APDU
* before the card is powered, one too short to be an APDU, a mute card and
* no card at all.
* tavric-run: --protocol PC/SC
00 B0 00 00 00;
00 B0;
.escape(9,13);             // the next frame answered with error 0x13: a mute card
FF 10 00 00;
.escape(0A);               // the card gone before the next frame
FF 10 00 00;
