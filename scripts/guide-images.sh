#!/usr/bin/env bash
# Redraws the pictures of the user guide and the README from the running program (the test
# GuideScreenshots against a virtual printer) and puts them, made small, into
# resources/Guide/images: en/ and zh_CN/ for the two guides, and the one picture zh_TW/ of the
# Traditional Chinese texts. Needs a configured dev build (scripts/test.sh has made one).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/dev
cmake --build --preset dev --target guide_screenshot_test >/dev/null
ctest --test-dir "$build" -R '^GuideScreenshots\.' --output-on-failure >/dev/null

drawn="$build/screenshots/guide"
images=resources/Guide/images
copy() { # copy LANGUAGE [NAME...]: every picture of the language, or only the named ones
    local language=$1
    shift
    mkdir -p "$images/$language"
    if [ $# -eq 0 ]; then
        rm -f "$images/$language"/*.png
        cp "$drawn/$language"/*.png "$images/$language/"
    else
        for name in "$@"; do
            cp "$drawn/$language/$name.png" "$images/$language/"
        done
    fi
}
copy en
copy zh_CN
copy zh_TW print_settings

# 256 colours are plenty for flat screen pictures; optipng then squeezes the result losslessly.
for picture in "$images"/*/*.png; do
    pngquant --force --skip-if-larger --strip --quality=70-95 --speed 1 --output "$picture" -- "$picture" || true
    optipng -quiet -o2 -strip all "$picture"
done
du -sh "$images"
