* run_pcap_is_script.cmd: opening the capture would empty the script: refused (exit 7).
* tavric-run: --pcap @CASE@ @CASE@
30;
