* pcsc_stack_extended.cmd: a card that takes extended lengths answers 4,096 bytes whole.
* tavric-run: --board pcsc --protocol PC/SC
* card: --atr t1 --extended
00 B0 00 00 00 10 00;
