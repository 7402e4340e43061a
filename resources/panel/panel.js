// The control panel: follows the air state on the event stream, presses the transport buttons,
// fills and renders titles from the titles tree. Plain JavaScript, nothing loaded from outside.
"use strict";

const API = "/api/v1";
const $ = (id) => document.getElementById(id);
let token = localStorage.getItem("zentrixToken") || "";
let state = null;
let selected = null; // {path, type, name}
let fieldsShown = [];

// ---- Requests ----------------------------------------------------------------------------

function headers(json) {
  const h = {};
  if (token) h.Authorization = "Bearer " + token;
  if (json) h["Content-Type"] = "application/json";
  return h;
}

async function api(method, path, body) {
  const r = await fetch(API + path, {
    method,
    headers: headers(body !== undefined),
    body: body === undefined ? undefined : JSON.stringify(body),
    cache: "no-store",
  });
  if (r.status === 401) askToken();
  const type = r.headers.get("Content-Type") || "";
  const data = type.startsWith("application/json") ? await r.json() : await r.blob();
  return { ok: r.ok, status: r.status, data };
}

function encodePath(path) {
  return path.split("/").map(encodeURIComponent).join("/");
}

function askToken() {
  $("token-bar").hidden = false;
  $("token").focus();
}

function say(text, info) {
  const m = $("message");
  m.textContent = text;
  m.className = "message" + (info ? " info" : "");
  m.hidden = !text;
  clearTimeout(say.timer);
  if (text) say.timer = setTimeout(() => (m.hidden = true), 8000);
}

// ---- State -------------------------------------------------------------------------------

function setLamp(id, cls) {
  const l = $(id);
  l.classList.remove("on", "error");
  if (cls) l.classList.add(cls);
}

function showTimes(t) {
  if (!t) return;
  $("elapsed").textContent = t.elapsed || "–";
  $("remaining").textContent = t.remaining || "–";
}

function showState(s) {
  // The answer to a request may come after a newer state on the stream: the newer one stays.
  if (state && s.seq !== undefined && state.seq !== undefined && s.seq < state.seq) return;
  const before = state;
  state = s;
  const status = $("status");
  // While a page is on air the frame has the next one loaded already: the headline names the page
  // that is on air.
  let headline = s.status;
  if (s.onAir && s.onAir.page && headline.includes(": ") && !s.paused)
    headline = headline.slice(0, headline.indexOf(": ") + 2) + s.onAir.page.split("/").pop();
  status.textContent = headline;
  status.dataset.state = s.stateName;
  status.classList.toggle("onair", !!s.onAir);
  status.classList.toggle("cued", s.stateName === "cued");
  for (const b of document.querySelectorAll("[data-action]")) {
    const a = b.dataset.action;
    b.disabled = !s.actions || !s.actions[a];
    b.classList.toggle("delayed", s.delayedAction === a);
  }
  $("effect-open").disabled = !s.actions || !s.actions.effect;
  if ($("effect-open").disabled) $("effect").hidden = true;
  setLamp("lamp-link", s.link.state === "on" ? "on" : s.link.state === "error" ? "error" : "");
  setLamp("lamp-device", s.device.ready ? "on" : "");
  setLamp("lamp-air", s.device.onAir ? "on" : "");
  showTimes(s.time);
  $("fact-file").textContent = s.file ? s.file + (s.content ? " (" + s.content + ")" : "") : s.content || "–";
  $("fact-cued").textContent = s.cued && s.cued.page ? s.cued.page + (s.cued.count ? "  " + (s.cued.index + 1) + "/" + s.cued.count : "") : "–";
  $("fact-onair").textContent = s.onAir && s.onAir.page ? s.onAir.page : s.onAir ? "yes" : "–";
  $("fact-mode").textContent = s.mode || "no on-air mode open";
  updateRender();
  refreshProgram(true);
  if (!before || before.state !== s.state || before.file !== s.file) refreshPreview();
}

// ---- Pictures ----------------------------------------------------------------------------

const pictures = { program: { busy: false, last: 0, url: null }, preview: { busy: false, last: 0, url: null } };

async function loadPicture(which) {
  const p = pictures[which];
  if (p.busy) return;
  p.busy = true;
  p.last = Date.now();
  try {
    const r = await fetch(API + "/" + which + ".png", { headers: headers(false), cache: "no-store" });
    const img = $(which);
    if (r.ok) {
      const url = URL.createObjectURL(await r.blob());
      img.src = url;
      if (p.url) URL.revokeObjectURL(p.url);
      p.url = url;
      img.classList.remove("none");
    } else if (r.status === 404) {
      img.removeAttribute("src");
    }
  } catch (e) {
    /* the stream's lamp tells */
  } finally {
    p.busy = false;
  }
}

// On every change at once; while time runs, at most twice a second.
function refreshProgram(now) {
  if (now || Date.now() - pictures.program.last >= 500) loadPicture("program");
}
function refreshPreview() {
  loadPicture("preview");
}

// ---- Event stream ------------------------------------------------------------------------

function handleEvent(type, data) {
  let d = null;
  try {
    d = JSON.parse(data);
  } catch (e) {
    return;
  }
  if (type === "state") showState(d);
  else if (type === "time") {
    showTimes(d);
    if (state && state.onAir) refreshProgram(false);
  } else if (type === "airlog") addLogLine(d.line);
  else if (type === "device") say("The Device asks: request " + d.request + (d.item !== undefined ? " (item " + d.item + ")" : ""), true);
  else if (type === "lost") api("GET", "/state").then((r) => r.ok && showState(r.data));
}

async function follow() {
  for (;;) {
    try {
      const r = await fetch(API + "/events", { headers: headers(false), cache: "no-store" });
      if (r.status === 401) {
        askToken();
        setLamp("lamp-stream", "error");
        await sleep(3000);
        continue;
      }
      if (!r.ok || !r.body) throw new Error("status " + r.status);
      setLamp("lamp-stream", "on");
      const reader = r.body.getReader();
      const decoder = new TextDecoder();
      let buffer = "";
      for (;;) {
        const { value, done } = await reader.read();
        if (done) break;
        buffer += decoder.decode(value, { stream: true });
        let end;
        while ((end = buffer.indexOf("\n\n")) >= 0) {
          const block = buffer.slice(0, end);
          buffer = buffer.slice(end + 2);
          let type = "message";
          const data = [];
          for (const line of block.split("\n")) {
            if (line.startsWith("event: ")) type = line.slice(7);
            else if (line.startsWith("data: ")) data.push(line.slice(6));
          }
          if (data.length) handleEvent(type, data.join("\n"));
        }
      }
    } catch (e) {
      /* reconnect below */
    }
    setLamp("lamp-stream", "error");
    await sleep(2000);
  }
}

function sleep(ms) {
  return new Promise((r) => setTimeout(r, ms));
}

function addLogLine(line) {
  const li = document.createElement("li");
  li.textContent = line;
  const list = $("airlog");
  list.prepend(li);
  while (list.children.length > 100) list.lastChild.remove();
}

// ---- Transport ---------------------------------------------------------------------------

async function press(action, body) {
  const r = await api("POST", "/actions/" + action, body);
  if (r.ok) {
    say("");
    if (r.data.state) showState(r.data.state);
  } else {
    say(r.data.error || "refused (" + r.status + ")", r.status === 409);
  }
  return r;
}

// ---- Titles tree -------------------------------------------------------------------------

const TYPE_NAMES = { title: "title", sequence: "sequence", clock: "clock", banner: "banner", mpeg: "clip", "video playlist": "playlist" };

async function loadTree() {
  const r = await api("GET", "/titles");
  if (!r.ok) return;
  const root = $("tree");
  root.textContent = "";
  for (const g of r.data.groups) root.appendChild(node(g));
  if (selected) markSelected(selected.path);
}

function node(n) {
  const li = document.createElement("li");
  const label = document.createElement("span");
  label.textContent = n.name;
  li.appendChild(label);
  if (n.type === "folder") {
    li.className = "folder";
    li.setAttribute("role", "treeitem");
    label.addEventListener("click", () => li.classList.toggle("closed"));
    const ul = document.createElement("ul");
    ul.setAttribute("role", "group");
    for (const c of n.children || []) ul.appendChild(node(c));
    if (!n.children || !n.children.length) li.classList.add("closed");
    li.appendChild(ul);
  } else {
    li.className = "file" + (n.playable ? "" : " unplayable");
    li.dataset.path = n.path;
    li.setAttribute("role", "treeitem");
    const t = document.createElement("span");
    t.className = "type";
    t.textContent = TYPE_NAMES[n.type] || n.type;
    label.appendChild(t);
    if (n.playable) label.addEventListener("click", () => select(n));
  }
  return li;
}

function markSelected(path) {
  for (const li of document.querySelectorAll(".tree li.selected")) li.classList.remove("selected");
  for (const li of document.querySelectorAll(".tree li.file"))
    if (li.dataset.path === path) li.classList.add("selected");
}

async function select(n) {
  selected = { path: n.path, type: n.type, name: n.name };
  markSelected(n.path);
  $("selection").hidden = false;
  $("sel-name").textContent = n.name;
  $("sel-kind").textContent = (TYPE_NAMES[n.type] || n.type) + " · " + n.path;
  const form = $("fields");
  form.textContent = "";
  fieldsShown = [];
  if (n.type === "title") {
    const r = await api("GET", "/titles/" + encodePath(n.path));
    if (!r.ok) {
      say(r.data.error || "the title cannot be read");
      return;
    }
    for (const f of r.data.fields) {
      const label = document.createElement("label");
      label.textContent = f.label;
      const input = document.createElement("input");
      input.value = f.text;
      input.name = f.label;
      input.addEventListener("keydown", (e) => {
        if (e.key === "Enter") {
          e.preventDefault();
          render();
        }
      });
      label.appendChild(input);
      form.appendChild(label);
      fieldsShown.push({ label: f.label, input });
    }
    if (!r.data.fields.length) form.textContent = "This title has no fields.";
  }
  updateRender();
}

function updateRender() {
  const b = $("render");
  b.textContent = selected && selected.type === "title" ? "Render" : "Cue";
  b.disabled = !selected || !state || !state.canStart;
}

async function render() {
  if (!selected) return;
  const play = $("sel-play").checked;
  let r;
  if (selected.type === "title") {
    const fields = {};
    for (const f of fieldsShown) fields[f.label] = f.input.value;
    r = await api("POST", "/titles/" + encodePath(selected.path) + "/render", { fields, play });
    if (r.ok) for (const f of r.data.fields) for (const s of fieldsShown) if (s.label === f.label) s.input.value = f.text;
  } else {
    r = await api("POST", "/play", { path: selected.path, play });
  }
  if (!r.ok) say(r.data.error || "refused (" + r.status + ")", r.status === 409);
  else {
    say(r.data.warnings ? r.data.warnings.join("; ") : "", true);
    if (r.data.state) showState(r.data.state);
  }
}

// ---- Wiring ------------------------------------------------------------------------------

for (const b of document.querySelectorAll("[data-action]")) b.addEventListener("click", () => press(b.dataset.action));
$("render").addEventListener("click", render);
$("tree-refresh").addEventListener("click", loadTree);
$("effect-open").addEventListener("click", () => ($("effect").hidden = !$("effect").hidden));
$("effect-close").addEventListener("click", () => ($("effect").hidden = true));
$("effect").addEventListener("submit", async (e) => {
  e.preventDefault();
  const body = {};
  for (const input of $("effect").querySelectorAll("input")) if (input.value !== "") body[input.name] = Number(input.value);
  const r = await press("effect", body);
  if (r.ok) $("effect").hidden = true;
});
$("token-save").addEventListener("click", () => {
  token = $("token").value.trim();
  localStorage.setItem("zentrixToken", token);
  $("token-bar").hidden = true;
  loadTree();
  api("GET", "/state").then((r) => r.ok && showState(r.data));
});

// The air frame's hotkeys, while the panel has the keyboard.
const KEYS = { F3: "previous", F5: "play", F6: "pause", F7: "next", F8: "stop" };
document.addEventListener("keydown", (e) => {
  if (e.key === "F2" && selected) {
    e.preventDefault();
    render();
  } else if (KEYS[e.key]) {
    e.preventDefault();
    press(KEYS[e.key]);
  }
});

api("GET", "/state").then((r) => r.ok && showState(r.data));
loadTree();
follow();
