* run_card_params.cmd: card 4 holds the card of inverse convention; the
* firmware version is the mask. The card parameters show the slot shown last.
* tavric-run: --card-params
30;
20 04;
10;
