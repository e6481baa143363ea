// The Master's status page: one live stream (/api/stream) keeps the farm, the queue, the nodes
// and the events up to date. Every text from the farm goes in as textContent: scene names and
// event comments are whatever people typed.
'use strict';

const MaxEvents = 200;
// EventSource retries by itself while the server answers badly or not at all; once it gives up
// (a response it cannot take), the page starts a new one after this long.
const RestartMilliseconds = 5000;
const MajorEventLevels = new Set([1, 2, 9]);
const ColourNames = ['base', 'bright', 'light', 'pale', 'half', 'third', 'alert'];
const NodeStates = ['initializing', 'ready', 'next frame', 'setting content', 'loading', 'rendering', 'offline', 'other'];
const SceneStates = ['waiting', 'rendering', 'finished', 'verified', 'frames missing'];

const scenes = new Map();      // id -> scene
let sceneOrder = [];
const computers = new Map();   // number -> computer
let computerOrder = [];
let events = [];               // oldest first
// After every (re)connect the server sends a full snapshot; each kind replaces what the page
// holds instead of merging into it, so nothing the Master dropped meanwhile survives.
const snapshotPending = { scenes: true, computers: true, events: true };

const $ = (id) => document.getElementById(id);

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined && text !== null) node.textContent = String(text);
  return node;
}

function cssName(code) {
  return String(code).replace(/[^a-z0-9]+/gi, '-').toLowerCase();
}

// --- Colours --------------------------------------------------------------------------------

function parseHex(text) {
  const match = /^#([0-9a-f]{6})$/i.exec(String(text || ''));
  if (!match) return null;
  const value = parseInt(match[1], 16);
  return [(value >> 16) & 255, (value >> 8) & 255, value & 255];
}

function luminance([r, g, b]) {
  const linear = (c) => { c /= 255; return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4; };
  return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

// Black or white, whichever reads better on the background: the user may pick any base colour.
function textOn(rgb) {
  const l = luminance(rgb);
  return (l + 0.05) / 0.05 >= 1.05 / (l + 0.05) ? '#000000' : '#ffffff';
}

function setColour(style, name, value) {
  const rgb = parseHex(value);
  if (!rgb) return;
  style.setProperty(`--${name}`, value);
  style.setProperty(`--on-${name}`, textOn(rgb));
}

function applyColours(colours) {
  if (!colours) return;
  const style = document.documentElement.style;
  for (const name of ColourNames) setColour(style, name, colours[name]);
  const states = colours.states || {};
  for (const code of NodeStates) setColour(style, `state-${cssName(code)}`, states[code]);
}

// --- The farm -------------------------------------------------------------------------------

function applyFarm(farm) {
  const name = farm.name || 'Kestrion';
  $('farm-name').textContent = name;
  document.title = farm.name ? `${farm.name} – Kestrion` : 'Kestrion';
  const mode = [farm.mode, farm.transport].filter(Boolean).join(', ');
  $('farm-mode').textContent = mode;
  $('count-scenes').textContent = farm.scenes ?? '–';
  $('count-nodes').textContent = farm.computers ?? '–';
  $('count-rendering').textContent = farm.rendering ?? '–';
  $('count-frames-left').textContent = farm.framesLeft ?? '–';
  $('count-frames-total').textContent = farm.framesTotal ?? '–';
  applyColours(farm.colours);
}

// Upserts `changed` by key, drops `removed`, and takes `order` when given; keys the order does
// not name are gone from the Master.
function applyChanges(map, order, message, key, replace) {
  if (replace) map.clear();
  for (const item of message.changed || []) map.set(item[key], item);
  for (const gone of message.removed || []) map.delete(gone);
  if (Array.isArray(message.order)) {
    order = message.order.filter((k) => map.has(k));
    const listed = new Set(order);
    for (const k of [...map.keys()]) if (!listed.has(k)) map.delete(k);
  } else {
    order = order.filter((k) => map.has(k));
    const listed = new Set(order);
    for (const k of map.keys()) if (!listed.has(k)) order.push(k);
  }
  return order;
}

// --- The queue ------------------------------------------------------------------------------

const sceneRows = new Map(); // id -> row

function makeSceneRow() {
  const row = element('tr', 'scene');
  const cell = (className, label) => {
    const td = element('td', className);
    td.dataset.label = label;
    row.append(td);
    return td;
  };
  const nameCell = cell('name', 'Scene');
  nameCell.append(element('span', 'scene-name'));
  cell('priority minor', 'Priority');
  const progress = cell('progress', 'Progress');
  const bar = element('div', 'bar');
  bar.setAttribute('role', 'progressbar');
  bar.setAttribute('aria-valuemin', '0');
  bar.append(element('div', 'fill'));
  progress.append(bar, element('span', 'frames'));
  cell('state', 'State').append(element('span', 'badge'));
  cell('left', 'Left');
  cell('nodes minor', 'Nodes');
  return row;
}

function updateSceneRow(row, scene) {
  const done = Math.max(0, Number(scene.framesDone) || 0);
  const total = Math.max(0, Number(scene.framesTotal) || 0);
  const percent = total > 0 ? Math.min(100, (100 * done) / total) : 0;
  const state = SceneStates.includes(scene.state) ? scene.state : 'waiting';
  row.dataset.id = scene.id;
  row.className = `scene scene-${cssName(state)}`;
  const name = row.querySelector('.scene-name');
  name.textContent = scene.name || scene.file || `#${scene.id}`;
  name.title = scene.file || '';
  row.querySelector('.priority').textContent = scene.priorityName ?? scene.priority ?? '';
  const bar = row.querySelector('.bar');
  bar.setAttribute('aria-valuemax', String(total));
  bar.setAttribute('aria-valuenow', String(done));
  bar.setAttribute('aria-label', `${done} of ${total} frames`);
  row.querySelector('.fill').style.width = `${percent}%`;
  row.querySelector('.frames').textContent = `${done} / ${total}`;
  row.querySelector('.badge').textContent = scene.state || '';
  row.querySelector('.left').textContent = scene.timeLeft ?? '—';
  row.querySelector('.nodes').textContent = scene.nodes ?? 0;
}

// Touches only the rows of `changedIds`, and moves rows only when the order may have changed:
// a queue of thousands of scenes stays cheap when one frame is booked.
function renderQueue(changedIds, reordered) {
  const body = $('queue-rows');
  for (const [id, row] of sceneRows) {
    if (!scenes.has(id)) { row.remove(); sceneRows.delete(id); }
  }
  for (const id of changedIds) {
    if (!scenes.has(id)) continue;
    let row = sceneRows.get(id);
    if (!row) { row = makeSceneRow(); sceneRows.set(id, row); reordered = true; }
    updateSceneRow(row, scenes.get(id));
  }
  if (reordered) {
    // Appending an attached row moves it, so this sets the order.
    for (const id of sceneOrder) body.append(sceneRows.get(id));
  }
  $('queue-empty').hidden = sceneOrder.length > 0;
  $('queue').hidden = sceneOrder.length === 0;
}

// --- The nodes ------------------------------------------------------------------------------

function baseName(path) {
  return String(path || '').split(/[\\/]/).pop();
}

function renderNodes() {
  const list = $('nodes');
  const items = computerOrder.map((number) => {
    const computer = computers.get(number);
    const code = NodeStates.includes(computer.stateCode) ? computer.stateCode : 'other';
    const item = element('li', `node node-${cssName(code)}`);
    item.dataset.number = computer.number;
    const square = element('span', 'square');
    square.style.background = `var(--state-${cssName(code)})`;
    square.title = code;
    const head = element('div', 'node-head');
    head.append(square, element('span', 'number', `#${computer.number}`), element('span', 'node-name', computer.name));
    const scene = scenes.get(computer.sceneId);
    const sceneName = scene ? scene.name : baseName(computer.scene);
    const work = element('div', 'node-work');
    if (sceneName) {
      const name = element('span', 'node-scene', sceneName);
      name.title = computer.scene || '';
      work.append(name);
      if (computer.frames) work.append(element('span', 'node-frames', `frames ${computer.frames}`));
    }
    item.append(head, element('div', 'node-state', computer.state), work);
    return item;
  });
  list.replaceChildren(...items);
  $('nodes-empty').hidden = items.length > 0;
}

// --- The events -----------------------------------------------------------------------------

function renderEvents() {
  const items = [];
  for (let i = events.length - 1; i >= 0; --i) {
    const event = events[i];
    const major = MajorEventLevels.has(Number(event.level));
    const item = element('li', major ? 'event major' : 'event');
    item.append(
      element('time', 'event-time', event.time),
      element('span', 'event-origin', event.origin),
      element('span', 'event-type', event.type),
      element('span', 'event-comment', event.comment));
    items.push(item);
  }
  $('events').replaceChildren(...items);
  $('events-empty').hidden = items.length > 0;
}

function applyEvents(message, replace) {
  const incoming = Array.isArray(message.events) ? message.events : [];
  events = replace ? incoming.slice() : events.concat(incoming);
  if (events.length > MaxEvents) events = events.slice(events.length - MaxEvents);
}

// --- The stream -----------------------------------------------------------------------------

function setConnection(state, text) {
  const line = $('connection');
  line.className = state;
  line.textContent = text;
}

function handler(apply) {
  return (message) => {
    let data;
    try {
      data = JSON.parse(message.data);
    } catch {
      return; // a broken message is dropped; the next snapshot puts things right
    }
    if (data && typeof data === 'object') apply(data);
  };
}

function connect() {
  const source = new EventSource('/api/stream');
  source.addEventListener('open', () => {
    snapshotPending.scenes = snapshotPending.computers = snapshotPending.events = true;
    setConnection('live', 'Live: the page follows the Master.');
  });
  source.addEventListener('error', () => {
    if (source.readyState === EventSource.CLOSED) {
      source.close();
      setTimeout(connect, RestartMilliseconds);
    }
    setConnection('lost', 'The Master cannot be reached. Retrying by itself…');
  });
  source.addEventListener('farm', handler(applyFarm));
  source.addEventListener('scenes', handler((data) => {
    const replace = snapshotPending.scenes;
    sceneOrder = applyChanges(scenes, sceneOrder, data, 'id', replace);
    snapshotPending.scenes = false;
    const changed = replace ? sceneOrder : (data.changed || []).map((scene) => scene.id);
    renderQueue(changed, replace || Array.isArray(data.order));
    renderNodes(); // the nodes show their scenes' names
  }));
  source.addEventListener('computers', handler((data) => {
    computerOrder = applyChanges(computers, computerOrder, data, 'number', snapshotPending.computers);
    snapshotPending.computers = false;
    renderNodes();
  }));
  source.addEventListener('events', handler((data) => {
    applyEvents(data, snapshotPending.events);
    snapshotPending.events = false;
    renderEvents();
  }));
}

if (typeof EventSource === 'undefined') {
  setConnection('lost', 'This browser cannot follow the Master live (no EventSource).');
} else {
  connect();
}
