# Sourced by the benchmarks that measure through bench/tools/latency-proxy
# (bench/pop3/latency.sh, bench/mailbox/deletion_latency.sh). Expects ROOT
# and WORK (a private folder). start_latency_proxy PORT DELAY_MS starts the
# proxy in front of 127.0.0.1:PORT and sets PROXY_PORT; stop_latency_proxy
# ends it (a no-op when none runs) and is safe in an exit trap.
PROXY_PID=
start_latency_proxy() {
  rm -f "$WORK/proxy-port"
  python3 "$ROOT/bench/tools/latency-proxy" --listen 127.0.0.1:0 --to "127.0.0.1:$1" --delay-ms "$2" \
    --port-file "$WORK/proxy-port" >/dev/null &
  PROXY_PID=$!
  for _ in $(seq 100); do [ -s "$WORK/proxy-port" ] && break; sleep 0.1; done
  PROXY_PORT=$(cat "$WORK/proxy-port")
}
stop_latency_proxy() {
  [ -n "$PROXY_PID" ] || return 0
  kill "$PROXY_PID" 2>/dev/null || true
  wait "$PROXY_PID" 2>/dev/null || true
  PROXY_PID=
  rm -f "$WORK/proxy-port"
}
