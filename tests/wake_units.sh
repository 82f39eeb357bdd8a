#!/usr/bin/env bash
# The wake-up timer's units as systemd reads them, for a time escaped as the
# program escapes it, and the polkit rule's answers.
# Usage: wake_units.sh SOURCE_DIR
set -uo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/../scripts/utf8.sh"
data="$(cd "$1" && pwd)/data"
fail() { echo "FAIL: $*"; exit 1; }

if command -v systemd-analyze >/dev/null; then
    time='2027-01-04 08:10:00'
    instance=$(systemd-escape "$time")
    [ "$instance" = '2027\x2d01\x2d04\x2008:10:00' ] || fail "escaped as $instance"
    [ "$(systemd-escape --unescape "$instance")" = "$time" ] || fail "%I would not be the time"
    systemd-analyze calendar "$time" >/dev/null || fail "not a calendar time: $time"
    units=$(mktemp -d)
    trap 'rm -rf "$units"' EXIT
    cp "$data"/velmar-dorl-wake@.timer "$data"/velmar-dorl-wake@.service "$units/"
    # The power-on service as installed, its script taken from here (verify
    # wants it to exist).
    script=/usr/libexec/velmar-dorl/velmar-dorl-poweron
    grep -qx "ExecStop=$script" "$data/velmar-dorl-poweron.service" || fail "ExecStop is not $script"
    sed "s|$script|$data/velmar-dorl-poweron|" "$data/velmar-dorl-poweron.service" >"$units/velmar-dorl-poweron.service"
    # systemd passes over a dependency on a unit it cannot find; the timer's
    # link to the power-on service decides what is read at shutdown.
    for key in Wants Before; do
        grep -qx "$key=velmar-dorl-poweron.service" "$data/velmar-dorl-wake@.timer" ||
            fail "the timer has no $key= on velmar-dorl-poweron.service"
    done
    # verify splits its arguments at ':': the same time with the colons escaped too.
    unit="velmar-dorl-wake@${instance//:/\\x3a}"
    out=$(SYSTEMD_UNIT_PATH="$units:" systemd-analyze verify --man=no "$unit.timer" "$unit.service" \
        velmar-dorl-poweron.service 2>&1) || fail "systemd-analyze verify: $out"
    [ -z "$out" ] || fail "systemd-analyze verify: $out"
else
    echo "SKIP: no systemd-analyze"
fi

command -v node >/dev/null || { echo "SKIP: no node for the polkit rule"; exit 0; }
node - "$data/50-velmar-dorl-wake.rules" <<'JS' || fail "polkit rule"
const fs = require("fs");
let rule;
const polkit = { Result: { YES: "yes" }, addRule(f) { rule = f; } };
eval(fs.readFileSync(process.argv[2], "utf8"));
const ask = (id, unit, verb, local = true, active = true) =>
    rule({ id, lookup: (k) => ({ unit, verb })[k] }, { local, active });
const units = "org.freedesktop.systemd1.manage-units";
const timer = "velmar-dorl-wake@2027\\x2d01\\x2d04\\x2008:10:00.timer";
const cases = [
    [ask(units, timer, "start"), "yes"],
    [ask(units, timer, "stop"), "yes"],
    [ask(units, timer, "restart"), undefined],
    [ask(units, timer, "start", false), undefined],   // from afar
    [ask(units, timer, "start", true, false), undefined], // not the session in front
    [ask(units, "velmar-dorl-wake@.timer", "start"), undefined],
    [ask(units, "velmar-dorl-wake@x.service", "start"), undefined],
    [ask(units, "ssh.service", "stop"), undefined],
    [ask(units, undefined, undefined), undefined],
    [ask("org.freedesktop.login1.power-off", timer, "start"), undefined],
];
cases.forEach(([got, want], i) => {
    if (got !== want) {
        console.log(`case ${i}: ${got} instead of ${want}`);
        process.exit(1);
    }
});
JS
echo "PASS: wake-up units and polkit rule"
