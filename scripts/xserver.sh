# Sourced by the scripts and tests that need an X server of their own (scripts/run, the package
# test, the benchmarks).
#
# start_x_server FIFO LOG PROGRAM [OPTIONS...]
# Starts the server on a display number it picks itself and returns once it takes clients: the
# server writes the number to a pipe when it is ready, and reading the pipe blocks until it does, or
# until the server has ended (then the status is 1). No waiting on the clock, so a slow machine
# cannot lose it. Every caller passes -noreset: a server that resets when its last client leaves
# refuses whoever connects during the reset, and our readiness checks are such last clients. Sets
# server_pid and exports DISPLAY.
start_x_server() {
  local fifo="$1" log="$2"
  shift 2
  rm -f "$fifo"
  mkfifo "$fifo" || return 1
  "$@" -displayfd 3 3>"$fifo" >"$log" 2>&1 &
  server_pid=$!
  local n=""
  read -r n <"$fifo" || true
  rm -f "$fifo"
  [ -n "$n" ] || { server_pid=""; return 1; }
  export DISPLAY=":$n"
}
