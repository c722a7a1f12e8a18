# shellcheck shell=bash
# Sourced by the demo's scripts (demo-world, play, headless-player).
# running NAME...: true while a process named one of NAMEs (as /proc/PID/comm tells it:
# the program's file name, cut to 15 characters) runs in this process namespace.
running() {
  local comm name wanted
  for comm in /proc/[0-9]*/comm; do
    read -r name < "$comm" 2>/dev/null || continue
    for wanted; do [ "$name" = "$wanted" ] && return 0; done
  done
  return 1
}
