* pcsc_stack_compare_long.cmd: an answer of 4,096 bytes (257 trace lines)
* compared with a golden log that differs in a byte far down (line 217), which
* the expectation's "*" leaves open: the trace agrees (exit 0).
* tavric-run: --board pcsc --protocol PC/SC --compare @DIR@/golden.log
* card: --atr t1 --extended
00 B0 00 00 00 10 00;
.expect(00 01 02 *);
