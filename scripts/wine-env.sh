# Sourced by the run and test scripts: a private Wine prefix on a virtual X display, with a
# Wine virtual desktop that fills the screen, so every program of the prefix shares one desktop.
# Needs BUILD_DIR set by the caller.

: "${BUILD_DIR:?BUILD_DIR must be set}"
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win32
SCREEN_SIZE="${SCREEN_SIZE:-1920x1080}"

pelmora_start_xvfb() {
  # Starts Xvfb on a free display number and exports DISPLAY. Stops it on exit of the caller.
  local n
  for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 "${SCREEN_SIZE}x24" -nolisten tcp >"$BUILD_DIR/xvfb.log" 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 100); do
        kill -0 "$XVFB_PID" 2>/dev/null || break   # lost the race for this number
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
      done
      kill -0 "$XVFB_PID" 2>/dev/null && { echo "Xvfb did not start" >&2; return 1; }
    fi
  done
  echo "no free X display number" >&2
  return 1
}

pelmora_init_prefix() {
  # A fresh prefix takes a few seconds; an existing one is reused.
  if [ ! -f "$WINEPREFIX/.pelmora-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >"$BUILD_DIR/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$SCREEN_SIZE" /f >/dev/null 2>&1
    # Link the Chinese font behind the Western UI fonts, as Windows does, so the captions
    # render under any locale.
    local face
    for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    # Debian's Wine does not load its own fonts (Tahoma, Marlett for the title-bar buttons)
    # from where the package puts them; link them into the prefix.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    ln -sf /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w
    touch "$WINEPREFIX/.pelmora-ready"
  fi
}

pelmora_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" >/dev/null 2>&1 || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}
