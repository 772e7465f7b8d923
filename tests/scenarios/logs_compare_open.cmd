* logs_compare_open.cmd: --timing puts each answer's round trip before its first
* line and changes nothing else; the golden log, a .save log of this script
* without --timing, agrees although the bytes the expectation leaves open
* differ (the reset answer's byte 5, byte 6's low digit, the first byte of
* its second line).
* tavric-run: --timing --compare @DIR@/golden.log
30;
.info;
10;
.expect(60 00 10 10 3B ?? 9? *);
40 01 02;
