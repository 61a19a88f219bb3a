# Sourced by the bench scripts: nginx from Debian's package serving "$work/www" on a free
# port of 127.0.0.1. start_nginx [CONNECTIONS [DIRECTIVES]] sets port and nginx_pid (DIRECTIVES
# go into the server block, for example a location); stop_nginx ends it.
nginx_pid=

start_nginx() {
  local connections=${1:-64} directives=${2:-}
  port=
  for candidate in $(seq 18431 18531); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then port=$candidate; break; fi
  done
  [ -n "$port" ] || { echo "no free port" >&2; exit 1; }
  mkdir -p "$work/logs"
  cat >"$work/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $work/logs/nginx.pid;
error_log $work/logs/error.log;
events { worker_connections $connections; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $work/logs;
  proxy_temp_path $work/logs;
  fastcgi_temp_path $work/logs;
  uwsgi_temp_path $work/logs;
  scgi_temp_path $work/logs;
  server { listen 127.0.0.1:$port; root $work/www; $directives }
}
CONF
  nginx -p "$work" -c "$work/nginx.conf" -e "$work/logs/error.log" &
  nginx_pid=$!
  curl -s -o /dev/null -I --retry 50 --retry-connrefused --retry-delay 0 "http://127.0.0.1:$port/"
}

stop_nginx() {
  if [ -n "$nginx_pid" ]; then kill "$nginx_pid" 2>/dev/null || true; wait "$nginx_pid" 2>/dev/null || true; fi
  nginx_pid=
}
