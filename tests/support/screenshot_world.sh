# Sourced by the screenshot scripts, with the build folder and the output folder as $1 and $2.
# Sets build, out and work: a temporary world (removed on exit) with drives C: and D:, a home
# folder of its own and a copy of the built program directory in $work/prog, set to German, the
# shows on drive D:, no tip at start.
build=$(realpath "$1"); out=$(realpath -m "$2"); mkdir -p "$out"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/c" "$work/d" "$work/home"
cp -a "$build/program" "$work/prog"
printf 'GERMAN\r\n' > "$work/prog/LanguageIsSet.ini"
printf '[SETTINGS]\r\nLanguage=GERMAN\r\nDrive=D\r\n' > "$work/prog/Generator.ini"
: > "$work/prog/NoTip.ini"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QUORBEL_DRIVES="C=$work/c;D=$work/d;Z=/"
