* pcsc_stack_rule_remove.cmd: the card gone in the middle of the exchange: the driver hands the daemon no bytes.
* tavric-run: --board pcsc --protocol PC/SC
* card:
* rules: 00 A4 * -> remove
00 A4 00 0C 02 3F 00;
