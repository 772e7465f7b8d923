* pcsc_more.cmd: PC/SC answers the PC/SC golden example does not show.
* tavric-run: --protocol PC/SC --card-params
FF 10 00 00;
00 A4 00 0C 02 3F 00;
00 B0 00 00 00;
00 84 00 00 08;
00 E2 00 00;
.escape(4);
FF 0A 00 00;
