#!/usr/bin/env bash
# Portable mode as the README tells a user to make it: the program in a folder with a Data
# folder (and the help topics in Help) beside it. Its store, its settings and the store's key
# stay in that folder, so the folder moved elsewhere (a USB stick mounted at another place)
# still opens its encrypted store; nothing is written to the user's own folders. A copy
# without the Data folder uses the user's folders as before.
source "$(dirname "$0")/lib.sh" "$@"

usb=$scratch/usb/sorami
mkdir -p "$usb/Data" "$usb/Help"
cp "$build/app/sorami-cli" "$build/lib/sorami/sorami-qt.so" "$usb/"
cp "$src"/help/*.rtf "$usb/Help/"
# An installed tree's help folder beside it too: a portable copy still reads its own Help.
mkdir -p "$scratch/usb/share/sorami/help"
cp "$src"/help/*.rtf "$scratch/usb/share/sorami/help/"

"$usb/sorami-cli" send --to 事務局 --title 下書き --body 本文 --draft >/dev/null
check "a draft stored by the portable copy" test $? -eq 0
check "the store beside the program, encrypted" test -f "$usb/Data/Master.enc"
check "the store's key in the Data folder" test -f "$usb/Data/Settings/master.key"
same "the key readable by its owner only" 600 "$(stat -c %a "$usb/Data/Settings/master.key")"
same "nothing written to the user's folders" "" "$(find "$home" -mindepth 1)"

# The stick mounted elsewhere: the same store, opened with the key it carries.
mv "$scratch/usb" "$scratch/stick"
usb=$scratch/stick/sorami
out=$("$usb/sorami-cli" master stats)
check "master stats of the moved copy" test $? -eq 0
contains "the draft is in the moved copy's store" "$out" '"count": 1[,}]'
out=$("$usb/sorami-cli" help 概要)
contains "the portable copy's help topics" "$out" "^\{\"path\": \"$usb/Help/概要.rtf\""
same "still nothing written to the user's folders" "" "$(find "$home" -mindepth 1)"

# A copy without its Qt module: the local commands still work; one that needs the module stops
# with the file it looked for and stores nothing.
mkdir -p "$scratch/bare/Data"
cp "$build/app/sorami-cli" "$scratch/bare/"
out=$("$scratch/bare/sorami-cli" folders 2>&1)
check "a copy without its module lists its folders" test $? -eq 0
out=$("$scratch/bare/sorami-cli" send --to 事務局 --title 下書き --body 本文 --draft 2>&1)
same "without its module a draft fails" 1 "$?"
contains "and says which file is missing" "$out" "cannot load .*/lib/sorami/sorami-qt\.so"
check "and stores nothing" test ! -e "$scratch/bare/Data/Master.enc"

# Without a Data folder beside it the same program keeps to the user's folders.
mkdir -p "$scratch/plain"
cp "$build/app/sorami-cli" "$build/lib/sorami/sorami-qt.so" "$scratch/plain/"
"$scratch/plain/sorami-cli" send --to 事務局 --title 下書き --body 本文 --draft >/dev/null
check "a draft stored by a copy without Data" test $? -eq 0
check "its store in the user's data folder" test -f "$home/.local/share/sorami/Data/Master.enc"
check "its key in the user's settings folder" test -f "$home/.config/sorami/master.key"
check "no Data folder made beside it" test ! -e "$scratch/plain/Data"
finish
