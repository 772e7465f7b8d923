* sim_firmware.cmd: the simulated reader answers each Verta command in turn.
* Slots 1, 3 and 4 hold cards, slot 5 a mute one, slots 2 and 6 nothing.
* tavric-run:
.command;
77;                        // no such command
A0 11;                     // CARD EVENT goes from the reader to the host only
30;                        // GET FIRMWARE VERSION: VRT-SIM 2.04
20;                        // SELECT CARD without its number
20 06;                     // the last slot
20 02;
20 00;                     // no card 0
20 07;                     // nor 7
10;                        // RESET CARD: still on slot 2, no card
00 00 84 00 00 08;         // EXCHANGE APDU: no card
20 05;
10;                        // the mute card
20 01;
00 00 84 00 00 08;         // a card not powered
10 02;                     // RESET CARD with a parameter it does not take
10;                        // the answer to reset of the T=0 card
00 00 A4 00 00 02 2F 01;   // SELECT 2F01: 61 0D
12;                        // CARD STATUS: 03 00 01 01 01 00
20 03;
10 01;                     // the answer to reset of the T=1 card
51 3E AA BB;               // WRITE REGISTER: the last two registers
50 3E 02;                  // READ REGISTER: AA BB
51 01 09;                  // a read-only register
13 01 15;                  // SET SLOT PARAMETER: a clock of 21 MHz
40 00 40 FF;               // LOOPBACK: the echo
