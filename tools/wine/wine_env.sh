# Sourced by the scripts that run Windows programs under Wine.
#   wine_use ARCH ROOT   exports a Wine prefix in ROOT/wineprefix for programs of
#                        ARCH (i686 or x86_64) and puts the right loader first on
#                        the PATH as `wine`;
#   wine_prefix_ready    creates or updates that prefix, with profile folders of
#                        its own, so that nothing lands in the user's home folder.
# A running wineserver is the caller's business (see with_wine.sh).

wine_use() {
  local arch=$1 root
  root=$(realpath -m "$2")
  # The prefix folder exists before anything starts: a wineserver started
  # for a folder that is not there yet exits at once, and every Wine program
  # would then start its own server and system processes again.
  mkdir -p "$root/wineprefix"
  export WINEPREFIX="$root/wineprefix"
  # Wine's own messages off, but for its errors about a process's address
  # space: they are rare and say why a program could not start at all.
  export WINEDEBUG=-all,err+virtual
  # No .NET or HTML engine installers, and no Linux menu entries for shortcuts.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINE_EXTRA_OVERRIDES:+;$WINE_EXTRA_OVERRIDES}"
  if [ "$arch" = x86_64 ]; then
    # Debian's `wine` picks the 32-bit loader whenever it is installed, even
    # where the kernel cannot start it: 64-bit programs get the 64-bit loader.
    local loader=/usr/lib/wine/wine64
    [ -x "$loader" ] || loader=$(command -v wine64 || command -v wine)
    export WINEARCH=win64 WINELOADER=$loader
    mkdir -p "$root/wine-bin"
    printf '#!/bin/sh\nexec "%s" "$@"\n' "$loader" > "$root/wine-bin/wine"
    chmod +x "$root/wine-bin/wine"
    export PATH="$root/wine-bin:$PATH"
  fi
}

# The profile folders that a new prefix links to the user's home folder become
# real folders of the prefix.
wine_own_profile_folders() {
  local users="$WINEPREFIX/drive_c/users" link
  [ -d "$users" ] || return 0
  find "$users" -mindepth 2 -maxdepth 2 -type l | while read -r link; do
    rm -f "$link" && mkdir -p "$link"
  done
}

# The dialog fonts as Windows has them. Wine's own faces (Debian's fonts-wine)
# go into the prefix's font folder, where this Wine looks for them; and the
# dialog face "MS Shell Dlg", which Windows maps to Microsoft Sans Serif (the
# TrueType face of MS Sans Serif, with its metrics) and Wine to a wider Tahoma,
# is mapped to MS Sans Serif. Without them labels render in a wider Linux face.
wine_windows_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" data=/usr/share/wine/fonts
  if [ -d "$data" ]; then
    mkdir -p "$fonts"
    cp -n "$data"/* "$fonts/" 2>/dev/null || true
  fi
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'MS Shell Dlg' /d 'MS Sans Serif' /f >/dev/null 2>&1 </dev/null || true
}

# Version of the prefix settings below: a prefix made by an older version is set up again.
WINE_PREFIX_SETUP=3

wine_prefix_ready() {
  local marker="$WINEPREFIX/.project-setup"
  if [ "$(cat "$marker" 2>/dev/null)" = "$WINE_PREFIX_SETUP" ]; then
    wine wineboot >/dev/null 2>&1 </dev/null || true
    return 0
  fi
  wine wineboot -i >/dev/null 2>&1 </dev/null || true
  wine_own_profile_folders
  wine_windows_fonts
  # There is no window manager on the test display: Wine manages its windows
  # itself instead of waiting for a manager's answers on every show and hide.
  local value
  for value in Managed UseTakeFocus; do
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v $value /d N /f >/dev/null 2>&1 </dev/null || true
  done
  echo "$WINE_PREFIX_SETUP" > "$marker"
  WINE_PREFIX_MADE=1
}
