* slots.cmd: the six card slots of the simulated reader. The answer to reset
* of each card, the errors of an empty slot and of a mute card, and a card
* inserted and removed with the simulator's escapes (card events). The card
* parameters at the end show slot 2 again, emptied by the removal.
* tavric-run: --card-params

.command;
20 03;                     // SELECT CARD 3: a T=1 card
10;
20 04;                     // SELECT CARD 4: a card of inverse convention (3F)
10;
20 05;                     // SELECT CARD 5: a mute card
10;                        // error 13: CARD MUTE
20 02;                     // SELECT CARD 2: an empty slot
10;                        // error 11: NO CARD IN THE SELECTED SLOT
.escape(1,02);             // the simulator inserts a card into slot 2
10;                        // now it answers
12;                        // CARD STATUS: one byte per slot, 01 present, 03 powered
.escape(2,02);             // and takes it out again
20 07;                     // error 10: there is no card 7, card 2 stays selected
