# Sourced by the demos, the benchmarks and the Windows end-to-end scripts: a free loopback
# port, Debian's nginx serving a folder on it (every file of nginx kept in the caller's
# work folder) and the updater's configuration for a site on it.

# free_loopback_port <first> <last>: prints the first port nobody listens on.
free_loopback_port() {
  local candidate
  for candidate in $(seq "$1" "$2"); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then echo "$candidate"; return 0; fi
  done
  echo "no free loopback port" >&2
  return 1
}

# start_local_nginx <work> <port> [http directives]: serves <work>/site and sets
# nginx_pid; returns once the port accepts connections.
start_local_nginx() {
  local work=$1 port=$2 extra=${3:-}
  cat > "$work/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log warn;
events { worker_connections 64; }
http {
  client_body_temp_path $work/body;
  proxy_temp_path $work/proxy;
  fastcgi_temp_path $work/fastcgi;
  uwsgi_temp_path $work/uwsgi;
  scgi_temp_path $work/scgi;
  $extra
  server { listen 127.0.0.1:$port; root $work/site; }
}
CONF
  /usr/sbin/nginx -p "$work/" -c "$work/nginx.conf" -e "$work/error.log" &
  nginx_pid=$!
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    sleep 0.05
  done
}

# local_nginx_workspace <name>: sets work to a fresh folder under /tmp that is removed,
# with the nginx started in it, when the script exits.
local_nginx_workspace() {
  work=$(mktemp -d "/tmp/$1.XXXXXX")
  nginx_pid=""
  trap remove_local_nginx_workspace EXIT
}

remove_local_nginx_workspace() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
}

# site_config <port> <version> <minimum version> [method]: the updater's "vexa.xml" for
# the product MOX published on the local nginx at that port (the client is "mox.exe").
site_config() {
  cat <<XML
<vexa>
  <StartExecute>mox.exe</StartExecute>
  <MinVersion>$3</MinVersion>
  <SelfUrl>http://127.0.0.1:$1/MOXUpdate</SelfUrl>
  <ProductCode>MOX</ProductCode>
  <DownloadUrl>http://127.0.0.1:$1/MOXUpdate</DownloadUrl>
  <UpdateMethod>${4:-filelist}</UpdateMethod>
  <CurVersion>$2</CurVersion>
</vexa>
XML
}
