* run_pcap_folder.cmd: the capture is written at the end: the whole run is traced,
* then the folder in its place is said (exit 7).
* tavric-run: --pcap @DIR@
30;
