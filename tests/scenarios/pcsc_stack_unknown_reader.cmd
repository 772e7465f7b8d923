* pcsc_stack_unknown_reader.cmd: a reader the daemon does not list is named with the readers there are.
* tavric-run: --board pcsc --protocol PC/SC --reader Nowhere
00 A4 00 0C 02 3F 00;
