#!/usr/bin/env bash
# Makes the default sounds of Velmar Dorl from nothing but synthesis and
# speech: bell chimes with sox, announcements with espeak-ng, MP3 with lame,
# MIDI songs with make_midi.py. The results are committed; run this again
# only to change them. Needs: sox espeak-ng lame python3.
set -euo pipefail
# shellcheck source=scripts/utf8.sh
. "$(dirname "$0")/../scripts/utf8.sh"
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rate=22050

mkdir -p "$here/Melodiler" "$here/Anonslar" "$here/Marşlar" "$here/Müzik"

# One struck bell: a fundamental with a few inharmonic partials, fading out.
bell() { # out freq seconds
    local out=$1 f=$2 len=$3
    sox -n -r $rate -c 1 -b 16 "$out" synth "$len" sine "$f" sine "$(echo "$f*2.0" | bc -l)" \
        sine "$(echo "$f*2.76" | bc -l)" sine "$(echo "$f*5.4" | bc -l)" \
        remix 1v0.55,2v0.25,3v0.15,4v0.05 fade q 0.004 "$len" "$(echo "$len*0.97" | bc -l)" \
        gain -n -3
}

# A chime: notes struck `step` seconds apart, each ringing `ring` seconds.
chime() { # out step ring freq...
    local out=$1 step=$2 ring=$3
    shift 3
    local parts=() i=0
    for f in "$@"; do
        bell "$tmp/n$i.wav" "$f" "$ring"
        sox "$tmp/n$i.wav" "$tmp/p$i.wav" pad "$(echo "$i*$step" | bc -l)"
        parts+=("$tmp/p$i.wav")
        i=$((i + 1))
    done
    if [ ${#parts[@]} -eq 1 ]; then cp "${parts[0]}" "$out.tmp.wav"; else sox -m "${parts[@]}" "$out.tmp.wav"; fi
    sox "$out.tmp.wav" -r $rate -c 1 -b 16 "$out" gain -n -1 pad 0 0.3
    rm -f "$out.tmp.wav" "$tmp"/n*.wav "$tmp"/p*.wav
}

E5=659.25 C5=523.25 D5=587.33 G4=392.00 A4=440.00 C6=1046.5 E4=329.63 G5=783.99

# Student entry: a rising call, twice.
chime "$here/Melodiler/Melodi 5.wav" 0.42 1.6 $C5 $E5 $G5 $C6 $C5 $E5 $G5 $C6
# Teacher entry: ding-dong, three times.
chime "$here/Melodiler/Melodi 6.wav" 0.7 1.8 $E5 $C5 $E5 $C5 $E5 $C5
# Exit: the four-quarter clock chime.
chime "$here/Melodiler/Melodi 1.wav" 0.6 2.2 $E5 $C5 $D5 $G4 $G4 $D5 $E5 $C5
# A calm descending chime, as MP3.
chime "$tmp/m2.wav" 0.5 2.0 $G5 $E5 $C5 $G4 $A4 $C5 $E5 $C5
# No Xing/LAME tag (-t): with it GStreamer's decoder is handed an empty last
# frame and prints an assertion every time the melody plays.
lame --quiet -m m -b 64 -t "$tmp/m2.wav" "$here/Melodiler/Melodi 2.mp3"
# A short two-note signal.
chime "$here/Melodiler/Melodi 4.wav" 0.5 1.5 $G4 $E4

speak() { # out text
    espeak-ng -v tr -s 150 -p 45 -w "$tmp/speech.wav" "$2"
    sox "$tmp/speech.wav" -r $rate -c 1 "$tmp/speech2.wav" gain -n -2 pad 0.2 0.4
    lame --quiet -m m -b 48 "$tmp/speech2.wav" "$1"
}

speak "$here/Anonslar/0.mp3" "Sevgili öğrenciler, ders başlamak üzere. Lütfen sınıflarınıza giriniz."
speak "$here/Anonslar/1.mp3" "Sayın öğretmenlerimiz, ders başlamıştır. Lütfen sınıflarınıza geçiniz."
speak "$here/Anonslar/2.mp3" "Ders bitmiştir. Herkese iyi teneffüsler."

# No anthem recording is shipped: a spoken note says where the school's own goes.
speak "$here/Marşlar/0.mp3" "Bu dosya İstiklal Marşı için yer tutucudur. Okulunuzun İstiklal Marşı kaydını, programın Marşlar klasörüne, sıfır nokta em pe üç adıyla kopyalayınız."

# Moment of silence: a signal tone, one minute of silence, a signal tone.
bell "$tmp/sig.wav" 880 1.5
sox "$tmp/sig.wav" -p pad 0 60 | sox - "$tmp/sig.wav" "$tmp/silence.wav"
lame --quiet -m m -b 32 "$tmp/silence.wav" "$here/Marşlar/1.mp3"

# Siren: a rising and falling wail.
sox -n -r $rate -c 1 -b 16 "$tmp/up.wav" synth 2.5 sine 450:1150 gain -n -3
sox "$tmp/up.wav" "$tmp/down.wav" reverse
sox "$tmp/up.wav" "$tmp/down.wav" "$tmp/up.wav" "$tmp/down.wav" "$tmp/up.wav" "$tmp/down.wav" \
    "$tmp/siren.wav" fade q 0.05 15 0.3
lame --quiet -m m -b 48 "$tmp/siren.wav" "$here/Marşlar/2.mp3"

python3 "$here/make_midi.py" "$here"
du -sh "$here"
