#!/bin/bash
# Starts or stops the private nginx that the Windows HTTP client tests talk to: plain
# HTTP and HTTPS (a self-signed certificate for localhost and 127.0.0.1) on free loopback
# ports, serving fixed files, redirects and a chunked answer. Everything it writes,
# including its pid file, logs and temporary files, stays in DIR.
# Usage: tools/https-test-server.sh start DIR   prints "HTTP_PORT HTTPS_PORT" (also DIR/ports)
#        tools/https-test-server.sh stop DIR
set -euo pipefail
command=${1:?usage: $0 start|stop DIR}
dir=${2:?usage: $0 start|stop DIR}
mkdir -p "$dir"
dir=$(realpath "$dir")
# /usr/sbin is not on every PATH.
nginx=$(PATH="$PATH:/usr/sbin:/sbin" command -v nginx || true)

stop() {
  [ -f "$dir/nginx.pid" ] || return 0
  local pid
  pid=$(cat "$dir/nginx.pid")
  if [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null; then
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$dir/nginx.pid"
}

# The files the tests expect byte for byte (tests/fetch/https_client_wine_test.cpp).
write_content() {
  mkdir -p "$dir/www" "$dir/tmp"
  printf 'plain page from the test server\n' >"$dir/www/page.txt"
  seq -f 'line %07.0f of the large body' 1 200000 >"$dir/www/large.txt"
  seq -f 'chunk line %.0f: PLACEHOLDER' 1 3000 >"$dir/www/chunked.txt"
}

write_certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
    -keyout "$dir/key.pem" -out "$dir/cert.pem" >/dev/null 2>&1
}

# Locations both servers share; $1 is the scheme and port of the other server.
locations() {
  cat <<EOF
    root $dir/www;
    location = /redirect { return 302 /page.txt; }
    location = /to-other { return 302 $1/page.txt; }
    # Replacing text takes the length away, so the answer goes out chunked.
    # The soak's slow page: sent a little slower than the program waits for a page.
    location /slow/ { limit_rate 3200; }
    location = /chunked.txt {
      sub_filter 'PLACEHOLDER' 'replaced';
      sub_filter_once off;
      sub_filter_types text/plain;
    }
EOF
}

write_config() {  # write_config HTTP_PORT HTTPS_PORT
  local user=""
  # Workers of a root master drop to "nobody", who may not read DIR.
  [ "$(id -u)" -eq 0 ] && user="user root root;"
  cat >"$dir/nginx.conf" <<EOF
$user
pid $dir/nginx.pid;
error_log $dir/error.log warn;
worker_processes 1;
events { worker_connections 64; }
http {
  access_log $dir/access.log;
  client_body_temp_path $dir/tmp/body;
  proxy_temp_path $dir/tmp/proxy;
  fastcgi_temp_path $dir/tmp/fastcgi;
  uwsgi_temp_path $dir/tmp/uwsgi;
  scgi_temp_path $dir/tmp/scgi;
  types { text/plain txt; }
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$1;
$(locations "https://127.0.0.1:$2")
  }
  server {
    listen 127.0.0.1:$2 ssl;
    ssl_certificate $dir/cert.pem;
    ssl_certificate_key $dir/key.pem;
$(locations "http://127.0.0.1:$1")
  }
}
EOF
}

start() {
  if [ -z "$nginx" ]; then
    echo "https-test-server: nginx is not installed" >&2
    return 1
  fi
  stop
  write_content
  write_certificate
  # Ports below Linux's ephemeral range, so no outgoing connection holds one; a port
  # taken meanwhile only costs another try.
  local http https
  for _ in $(seq 40); do
    http=$((20000 + RANDOM % 12000))
    https=$((20000 + RANDOM % 12000))
    [ "$http" -ne "$https" ] || continue
    write_config "$http" "$https"
    : >"$dir/error.log"
    if "$nginx" -p "$dir" -c "$dir/nginx.conf" -e "$dir/error.log" 2>>"$dir/error.log"; then
      echo "$http $https" | tee "$dir/ports"
      return 0
    fi
    grep -q "Address already in use" "$dir/error.log" || break
  done
  echo "https-test-server: nginx did not start:" >&2
  cat "$dir/error.log" >&2
  return 1
}

case $command in
  start) start ;;
  stop) stop ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
