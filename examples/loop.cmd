* loop.cmd: an endurance loop. Run it with --loop (or the Loop command): the
* script starts over at its end, .info counts the rounds, and every round
* resets the card in slot 1 and asks it for a challenge.
*   ./tavric-run --loop --max-statements 1000 examples/loop.cmd
* Its golden test runs two rounds:
* tavric-run: --loop --max-statements 12

.command;
20 01;                     // SELECT CARD 1
10;                        // RESET CARD
.apdu;
00 84 00 00 08;            // GET CHALLENGE: eight new bytes every round
.info;                     // script name, date and loop counter
