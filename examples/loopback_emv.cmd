* loopback_emv.cmd: the EMV loopback test of the loopback protocol: the
* commands of a payment card session, echoed one a second.
* tavric-run: --protocol Loopback

.command;
45;                        // EMV loopback test
