#!/bin/sh
# Drives `kombrel-host tui` in a real terminal (tmux) through one whole transfer of the bundled data set:
# the installation notice, Ctrl+5, the dates in form 1003, three documents marked with Insert in form
# 1002, F12; then checks the sales document on the screen and in the JSON the host writes at its end.
#   tui_test.sh KOMBREL_HOST PLUGIN
# Exits 77 (skipped) when tmux is missing; scripts/setup.sh installs it.
set -u
tool=$1 plugin=$2
if ! command -v tmux >/dev/null 2>&1; then
  echo "tmux is not installed (scripts/setup.sh installs it): the terminal host test is skipped"
  exit 77
fi
work=$(mktemp -d)
socket=kombrel-tui-$$
trap 'tmux -L "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT
# Extended keys: tmux sends Ctrl+5 as the escape sequence modern terminals use ("\033[53;5u").
printf 'set -g extended-keys always\n' >"$work/tmux.conf"
tmux -L "$socket" -f "$work/tmux.conf" new-session -d -x 100 -y 30 \
  "env LANG=C.UTF-8 LC_ALL=C.UTF-8 '$tool' tui --plugin '$plugin' --out '$work/out.json'; echo EXITED:\$?; sleep 600"

screen() { tmux -L "$socket" capture-pane -p; }
keys() { tmux -L "$socket" send-keys "$@"; }
fail() {
  echo "FAILED: $1"
  echo "--- the screen:"
  screen
  exit 1
}
# Waits until the screen shows the text.
wait_for() {
  tries=0
  until screen | grep -qF -- "$1"; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && fail "the screen never showed \"$1\""
    sleep 0.1
  done
}

wait_for "Zainstalowano wtyczkę do programu:"
keys Enter
wait_for "the plug-in is started"
keys C-5
wait_for "Podaj daty (wystawienia) graniczne dla dok. MM"
keys 0 1 1 2 2 0 2 5 F4 3 1 1 2 2 0 2 5
wait_for "F4 Okres Do  31.12.2025"
screen | grep -qF "F3 Okres Od    01.12.2025" || fail "the first date is not in its field"
keys F12
wait_for "Wybierz dokumenty MM"
wait_for "MM/7/12/2025"
screen | grep -qF "Wartość zak.br. Data wyst." || fail "the column line does not head the list"
# Insert marks the row and moves to the next: rows 1, 4 and 6 (MM/1, MM/4, MM/6).
keys IC
wait_for "*  MM/1/12/2025"
keys Down Down IC Down IC
wait_for "*  MM/6/12/2025"
screen | grep -qF "*  MM/4/12/2025" || fail "MM/4/12/2025 is not marked"
screen | grep -qF "   MM/2/12/2025" || fail "MM/2/12/2025 is marked"
keys F12
wait_for "event 235: the handler answered 7"

# The document: one merge into slot 2, four new positions in the free slots 3, 5, 6 and 7.
document=$(screen)
for pattern in \
  '^ +2 Wkręt do drewna 4x40 .* 600 szt +M1 +0\.18 MM/1/12/2025 ' \
  '^ +3 Śruba M6x40 ocynkowana .* 100 szt +M1 +0\.35 MM/1/12/2025 ' \
  '^ +4 Taśma malarska 48 mm .* 10 szt +M1 +8\.50 ' \
  '^ +5 Łańcuch świetlny LED 10 m .* 12 szt +M1 +49\.99 MM/4/12/2025 ' \
  '^ +6 Przedłużacz ogrodowy 20 m .* 6 szt +M1 +64\.90 MM/4/12/2025 ' \
  '^> +7 Zaprawa klejąca do płytek .* 40 worek M3 +32\.90 MM/6/12/2025 ' \
  '^ +8 ·'; do
  printf '%s\n' "$document" | grep -qE -- "$pattern" || fail "no line matching $pattern"
done

keys q
wait_for "EXITED:0"
screen | grep -qF "host fault" && fail "the host saw a fault"
json=$work/out.json
for text in '"quantity": 600' '"name": "Zaprawa klejąca do płytek 25 kg"' '"current_row_offset": 7' \
  '"live_blocks": 0' '"*\rMM/6/12/2025\rChemia budowlana\rSklep Kraków\r1070.00\r19.12.2025"' \
  '"Pytaj": "1"'; do
  grep -qF -- "$text" "$json" || { echo "FAILED: $text is not in the host's output:"; cat "$json"; exit 1; }
done
echo "one whole transfer in the terminal host: passed"
