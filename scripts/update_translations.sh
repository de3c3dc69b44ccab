#!/usr/bin/env bash
# Gathers the texts of the desktop entry, the file type and the AppStream metainfo into
# po/quarnel.pot and merges them into each language's po/<language>.po, the usual gettext way. Run
# it after changing one of those texts, translate what msgmerge marks new or fuzzy, and commit
# po/. The build turns the .po files into the installed, translated files (cmake/install.cmake).
# The program's window keeps its own texts in every language.
#
# Needs gettext; the extraction rules come with shared-mime-info (the file type) and appstream
# (the metainfo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root/po"
resources=../resources
# The program's name is the same in every language, so only these keys of the entry are offered.
xgettext --add-location=file --language=Desktop -k -kGenericName -kComment -kKeywords --omit-header \
         -o desktop.pot "$resources/quarnel.desktop.in"
xgettext --add-location=file --its=/usr/share/gettext/its/shared-mime-info.its --omit-header -o mime.pot "$resources/quarnel-mime.xml.in"
xgettext --add-location=file --its=/usr/share/gettext/its/metainfo.its --omit-header -o metainfo.pot "$resources/quarnel.metainfo.xml.in"
msgcat --sort-by-file desktop.pot mime.pot metainfo.pot -o quarnel.pot.new
rm -f desktop.pot mime.pot metainfo.pot
# A header without the moment of extraction, so that an unchanged source gives an unchanged file.
{
    printf '# The texts of the desktop entry, the file type and the software centres'"'"' metainfo.\n'
    printf 'msgid ""\nmsgstr ""\n"Project-Id-Version: quarnel\\n"\n"MIME-Version: 1.0\\n"\n'
    printf '"Content-Type: text/plain; charset=UTF-8\\n"\n"Content-Transfer-Encoding: 8bit\\n"\n\n'
    cat quarnel.pot.new
} >quarnel.pot
rm quarnel.pot.new
while read -r language; do
    case $language in '' | '#'*) continue ;; esac
    msgmerge --quiet --update --backup=none --no-fuzzy-matching "$language.po" quarnel.pot
done <LINGUAS
