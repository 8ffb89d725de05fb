#!/usr/bin/env bash
# Runs `tarvo cameras` and `tarvo stream` against the default simulated cameras, as on a machine
# without a device list.
set -euo pipefail
tarvo=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_CONFIG_HOME="$dir/config"

cameras=$("$tarvo" cameras)
expect() {
    grep -Eqx "$1" <<<"$2" || { echo "missing '$1' in:"; echo "$2"; exit 1; }
}
[ "$(wc -l <<<"$cameras")" = 3 ]
expect "KST-ETH-0001 +Kestrel +TARVO +Ethernet +1\.0\.0 +192\.168\.1\.100" "$cameras"
expect "KST-USB-0001 +Kestrel +TARVO +USB +1\.0\.0 +-" "$cameras"
expect "DUET-0001 +Duet +Tarvo +USB +Duet_V1\.7\.10 +-" "$cameras"

# Trigger edges reach the stream once a configuration switches the trigger input on.
echo '{"TriggerIn": {"enable": true}}' >"$dir/trigger.json"
usb=$("$tarvo" stream --serial KST-USB-0001 --seconds 3 --config "$dir/trigger.json")
expect "1 s: [0-9.]+ Mev/s, [0-9.]+ MB/s, 0 dropped buffers" "$usb"
expect "events: [1-9][0-9]{5,}" "$usb"
expect "trigger_edges: [1-9][0-9]*" "$usb"
expect "dropped_buffers: 0" "$usb"

eth=$("$tarvo" stream --serial KST-ETH-0001 --seconds 1)
expect "events: [1-9][0-9]{5,}" "$eth"
expect "trigger_edges: 0" "$eth"

if "$tarvo" stream --serial NO-SUCH-CAMERA 2>"$dir/err"; then exit 1; fi
grep -q "no camera with serial 'NO-SUCH-CAMERA'" "$dir/err"
if "$tarvo" stream --serial DUET-0001 2>/dev/null; then exit 1; fi
echo '{"Biases": ' >"$dir/broken.json"
if "$tarvo" stream --serial KST-USB-0001 --config "$dir/broken.json" 2>"$dir/err"; then exit 1; fi
grep -q "cannot apply the configuration" "$dir/err"
if "$tarvo" stream 2>/dev/null; then exit 1; fi
echo "cameras and stream passed"
