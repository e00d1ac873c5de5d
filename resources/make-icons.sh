#!/usr/bin/env bash
# Renders the program's pictures from the Breeze icon theme (Debian package
# breeze-icon-theme) into PNG files of the sizes the windows show them at.
# Needs rsvg-convert (package librsvg2-bin). The PNGs are committed, so the
# build needs neither the theme nor an SVG reader.
set -euo pipefail
cd "$(dirname "$0")/icons"
src=/usr/share/icons/breeze

render() {  # source (relative to the theme) size target
  rsvg-convert -w "$2" -h "$2" "$src/$1" -o "$3"
}

# Main menu band
render places/64/folder-book.svg 40 menu-titles.png
render apps/48/kchart.svg 40 menu-reports.png
render preferences/32/preferences-security.svg 40 menu-admin-locked.png
render status/64/security-high.svg 40 menu-admin-unlocked.png
render preferences/32/preferences-system-backup.svg 40 menu-backup.png
render status/64/dialog-information.svg 40 menu-about.png
render actions/32/window-close.svg 40 menu-exit.png

# Message dialog kinds
render status/64/dialog-warning.svg 32 message-warning.png
render status/64/dialog-error.svg 32 message-error.png
render status/64/dialog-information.svg 32 message-information.png
render status/64/dialog-question.svg 32 message-confirmation.png

# Windows
for size in 32 64 96 256; do
  render places/64/folder-book.svg "$size" "terralog-$size.png"
done
render apps/48/preferences-system.svg 32 admin.png
render status/64/dialog-password.svg 48 password.png

# Annexes-and-titles dialogs and the attached-files buttons
render apps/48/accessories-text-editor.svg 32 annex-line.png
render mimetypes/64/application-certificate.svg 32 title.png
render apps/48/puremaps.svg 32 surface.png
render apps/48/kfind.svg 32 choose-title.png
render actions/22/document-preview.svg 16 file-show.png
render actions/22/list-add.svg 16 file-add.png
render actions/22/edit-delete.svg 16 file-delete.png

# Annexes-and-titles form: its list and its command buttons
render mimetypes/22/x-office-document.svg 20 list-annex.png
render mimetypes/22/application-certificate.svg 20 list-titles.png
render actions/22/list-add.svg 20 cmd-add.png
render actions/22/document-edit.svg 20 cmd-edit.png
render actions/22/edit-delete.svg 20 cmd-delete.png
render actions/22/document-export.svg 20 cmd-export.png
render actions/22/document-import.svg 20 cmd-import.png
render actions/22/insert-link.svg 20 cmd-link.png
render actions/22/document-new.svg 20 cmd-new.png
render actions/22/document-properties.svg 20 cmd-details.png
render actions/22/gnumeric-link-delete.svg 20 cmd-unlink.png
render actions/22/edit-find.svg 20 cmd-search.png
render actions/22/view-refresh.svg 20 cmd-clear.png

# Backup window
render actions/32/archive-insert.svg 40 backup-save.png
render actions/32/archive-extract.svg 40 backup-restore.png

# The program's icon for Windows (the executable, the installer, the shortcuts)
../make-ico.py terralog.ico terralog-32.png terralog-64.png terralog-96.png terralog-256.png
