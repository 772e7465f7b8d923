* directives_duration.cmd: .display_duration without a start or a stop says so,
* and forgets what was started; with both it shows the seconds between them.
* tavric-run:
.display_duration;
.start_duration;
.display_duration;
.stop_duration;
.display_duration;
.start_duration;
30;
.stop_duration;
.display_duration;
