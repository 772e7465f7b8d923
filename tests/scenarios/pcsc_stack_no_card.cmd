* pcsc_stack_no_card.cmd: a reader without a card answers with the daemon's error.
* tavric-run: --board pcsc --protocol PC/SC
00 A4 00 0C 02 3F 00;
