# Sourced by the Windows scripts: a Wine prefix of the build's own (so runs do not depend on
# the user's ~/.wine), quiet Wine, and the Wine server started once before any test runner:
# a runner that waits on inherited pipes hangs when the first program starts the server.
# Usage: . scripts/wine-env.sh <build folder>
export WINEPREFIX="$1/wineprefix"
export WINEDEBUG=-all
# No Mono/Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
mkdir -p "$WINEPREFIX"
# -p keeps the server running; it fails harmlessly when one already serves this prefix.
"$WINESERVER" -p || true
"$WINE" cmd /c exit
