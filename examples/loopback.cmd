* loopback.cmd: the GIE loopback test of the loopback protocol against the
* simulated reader. The statement 47 ('G') starts it: four steps, each sent a
* second after the previous echo, then "LOOPBACK : TEST OK" and a beep.
* A loopback test ends the script run: it is the script's last statement.
* tavric-run: --protocol Loopback

.command;
47;                        // GIE loopback test
