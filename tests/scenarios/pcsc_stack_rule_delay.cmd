* pcsc_stack_rule_delay.cmd: the card's rule file delays one answer, which fails its expected time.
* tavric-run: --board pcsc --protocol PC/SC
* card:
* rules: 00 A4 00 0C 02 3F 00 -> delay 600
00 A4 00 0C 02 3F 00;
.expect_time(<= 300 ms);
00 A4 00 0C 02 2F 01;
.expect_time(<= 300 ms);
