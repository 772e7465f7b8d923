* pcsc_stack_apdus.cmd: APDUs to a card on the first reader of a real pcscd, the reader's own commands among them.
* tavric-run: --board pcsc --protocol PC/SC
* card:
FF 10 00 00;
00 A4 00 00 02 2F 01;
00 C0 00 00 0D;
00 A4 00 0C 02 12 34;
FF 0A 00 00;
