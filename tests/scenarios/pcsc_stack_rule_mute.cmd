* pcsc_stack_rule_mute.cmd: a mute card: the daemon's SCardTransmit waits for ever, and so does the board's
* Disconnect behind it: the run stalls, then the watchdog ends it.
* tavric-run: --board pcsc --protocol PC/SC --timeout 1
* card:
* rules: 00 A4 * -> mute
00 B0 00 00 01;
00 A4 00 0C 02 3F 00;
