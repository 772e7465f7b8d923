* pcsc_stack_extended_refused.cmd: a card that does not take extended lengths answers 67 00, which the trace explains.
* tavric-run: --board pcsc --protocol PC/SC
* card: --atr t1
00 B0 00 00 00 10 00;
