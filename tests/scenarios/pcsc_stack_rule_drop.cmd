* pcsc_stack_rule_drop.cmd: the card's answer dropped: the driver hands the daemon no bytes.
* tavric-run: --board pcsc --protocol PC/SC
* card:
* rules: 00 A4 * -> drop
00 A4 00 0C 02 3F 00;
