* pcsc_stack_chain_directive_off.cmd: .getresponse(off) turns off what --get-response turned on.
* A T=0 card that hands its data out 12 bytes at a time: READ BINARY of 32 bytes answers 61 0C,
* asked for 64 bytes it first answers 6C 20.
* tavric-run: --board pcsc --protocol PC/SC --get-response
* card: --atr t0 --get-response 12
.getresponse(off);
00 A4 00 0C 02 2F 01;
00 B0 00 00 20;
00 B0 00 00 40;
