// The page of "tonquill --serve": it signs in once (the server sets a cookie
// the page cannot read), then follows the recordings through the events and
// steers them through the API. Its texts come with the page, in the
// language the browser asks for where the program has it.
'use strict';

const api = '/api/v1';
const $ = (id) => document.getElementById(id);
const recordings = new Map();
const ended = ['stopped', 'failed'];
let events = null;

const texts = JSON.parse($('texts').textContent || '{}');
// The text in the page's language; `values` fill in %1, %2, ...
function t(text, ...values) {
  return (texts[text] || text).replace(/%(\d)/g, (all, n) => (n > 0 && n <= values.length ? values[n - 1] : all));
}
for (const e of document.querySelectorAll('[data-t]'))
  e.textContent = t(e.textContent);

function say(text) {
  $('notice').textContent = text;
}

async function call(method, path, body) {
  const options = { method, credentials: 'same-origin', headers: {} };
  if (body !== undefined) {
    options.headers['Content-Type'] = 'application/json';
    options.body = JSON.stringify(body);
  }
  const answer = await fetch(api + path, options);
  if (answer.status === 401) {
    showSignIn();
    throw new Error(t('Signed out.'));
  }
  const text = await answer.text();
  const data = text ? JSON.parse(text) : null;
  if (!answer.ok)
    throw new Error((data && data.error) || answer.statusText);
  return data;
}

function button(text, action, danger) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = text;
  if (danger)
    b.className = 'danger';
  b.addEventListener('click', () => action().catch((e) => say(e.message)));
  return b;
}

function row(title, detail, buttons) {
  const li = document.createElement('li');
  const what = document.createElement('span');
  what.className = 'what';
  what.textContent = title;
  if (detail) {
    const d = document.createElement('span');
    d.className = 'detail';
    d.textContent = detail;
    what.appendChild(d);
  }
  li.appendChild(what);
  for (const b of buttons)
    li.appendChild(b);
  return li;
}

function duration(seconds) {
  const h = Math.floor(seconds / 3600);
  const m = Math.floor((seconds % 3600) / 60);
  const s = seconds % 60;
  return (h ? h + ':' + String(m).padStart(2, '0') : m) + ':' + String(s).padStart(2, '0');
}

function size(bytes) {
  if (bytes >= 1048576)
    return (bytes / 1048576).toFixed(1) + ' MB';
  return Math.round(bytes / 1024) + ' KB';
}

function showRecordings() {
  const list = $('recordings');
  list.replaceChildren();
  let shown = 0;
  for (const r of recordings.values()) {
    ++shown;
    // An ended recording stays a while with how it ended, until the server
    // says it is gone.
    const buttons = [];
    if (r.state === 'paused')
      buttons.push(button(t('Resume'), () => call('POST', '/recordings/' + r.id + '/resume')));
    else if (r.state === 'recording')
      buttons.push(button(t('Pause'), () => call('POST', '/recordings/' + r.id + '/pause')));
    if (!ended.includes(r.state))
      buttons.push(button(t('Stop'), () => call('DELETE', '/recordings/' + r.id).then(loadFiles), true));
    const detail = t(r.state) + (r.title ? ': ' + r.title : '') + ' \u2014 ' + duration(r.elapsed) + ', ' + size(r.bytes);
    const li = row(r.station, detail, buttons);
    if (ended.includes(r.state))
      li.className = 'ended';
    list.appendChild(li);
  }
  $('no-recordings').hidden = shown > 0;
}

function follow() {
  if (events)
    events.close();
  events = new EventSource(api + '/events');
  events.addEventListener('recordings', (e) => {
    recordings.clear();
    for (const r of JSON.parse(e.data))
      recordings.set(r.id, r);
    showRecordings();
  });
  events.addEventListener('recording', (e) => {
    const r = JSON.parse(e.data);
    const before = recordings.get(r.id);
    recordings.set(r.id, r);
    showRecordings();
    if (before && before.file && before.file !== r.file)
      loadFiles();
  });
  events.addEventListener('removed', (e) => {
    recordings.delete(JSON.parse(e.data).id);
    showRecordings();
  });
  events.onerror = () => say(t('The connection to the server was lost; it is tried again.'));
  events.onopen = () => say('');
}

// Each list is filled once its answer is in, at once: answers that cross
// leave the last one shown, never both.
async function loadStations() {
  const stations = await call('GET', '/stations');
  const list = $('stations');
  const scheduled = $('schedule-station');
  list.replaceChildren();
  scheduled.replaceChildren();
  for (const s of stations) {
    scheduled.appendChild(new Option(s.title, s.id));
    const buttons = [
      button(t('Record'), () => call('POST', '/recordings', { station: s.id, mode: 'record' })),
      button(t('Watch'), () => call('POST', '/recordings', { station: s.id, mode: 'watch' })),
    ];
    if (s.kind === 'list')
      buttons.push(button(t('Remove'), () => call('DELETE', '/stations/' + s.id).then(loadStations), true));
    list.appendChild(row(s.title, s.address, buttons));
  }
}

async function loadFiles() {
  const files = await call('GET', '/files');
  const list = $('files');
  list.replaceChildren();
  for (const f of files) {
    const url = api + '/files/' + encodeURIComponent(f.id);
    const download = document.createElement('a');
    download.className = 'button';
    download.href = url;
    download.download = f.name;
    download.textContent = t('Download');
    const play = button(t('Play'), async () => {
      $('player').src = url;
      await $('player').play();
    });
    const remove = button(t('Delete'), async () => {
      if (!window.confirm(t('Move %1 to the trash?', f.name)))
        return;
      await call('DELETE', '/files/' + encodeURIComponent(f.id));
      await loadFiles();
    }, true);
    list.appendChild(row(f.name, (f.station ? f.station + ', ' : '') + size(f.size), [play, download, remove]));
  }
  $('no-files').hidden = files.length > 0;
}

async function loadSchedule() {
  let tasks = [];
  try {
    tasks = await call('GET', '/schedule');
  } catch (e) {
    $('no-schedule').textContent = e.message;
    return;
  }
  const list = $('schedule');
  list.replaceChildren();
  for (const t of tasks) {
    const remove = button(t('Cancel'), () => call('DELETE', '/schedule/' + encodeURIComponent(t.id)).then(loadSchedule), true);
    list.appendChild(row(t.station || t.name, new Date(t.start).toLocaleString(), [remove]));
  }
  $('no-schedule').hidden = tasks.length > 0;
}

async function loadHistory() {
  const query = new URLSearchParams({ limit: '100' });
  if ($('history-title-filter').value)
    query.set('title', $('history-title-filter').value);
  if ($('history-station-filter').value)
    query.set('station', $('history-station-filter').value);
  const plays = await call('GET', '/history?' + query);
  const body = $('history');
  body.replaceChildren();
  for (const p of plays) {
    const tr = document.createElement('tr');
    for (const text of [new Date(p.start).toLocaleString(), p.station, p.title, t(p.state)]) {
      const td = document.createElement('td');
      td.textContent = text;
      tr.appendChild(td);
    }
    body.appendChild(tr);
  }
}

function showSignIn() {
  if (events)
    events.close();
  events = null;
  $('app').hidden = true;
  $('signin').hidden = false;
  $('token').focus();
}

async function showApp() {
  $('signin').hidden = true;
  $('app').hidden = false;
  follow();
  await Promise.all([loadStations(), loadFiles(), loadHistory(), loadSchedule()]);
}

$('signin-form').addEventListener('submit', async (e) => {
  e.preventDefault();
  const answer = await fetch('/signin', {
    method: 'POST',
    credentials: 'same-origin',
    headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
    body: new URLSearchParams({ token: $('token').value.trim() }),
  });
  $('token').value = '';
  if (!answer.ok) {
    const data = await answer.json().catch(() => ({}));
    say(data.error || answer.statusText);
    return;
  }
  say('');
  showApp().catch((err) => say(err.message));
});

$('add-station').addEventListener('submit', (e) => {
  e.preventDefault();
  call('POST', '/stations', { title: $('station-title').value, address: $('station-address').value })
    .then(() => {
      $('station-title').value = '';
      $('station-address').value = '';
      return loadStations();
    })
    .catch((err) => say(err.message));
});

$('add-schedule').addEventListener('submit', (e) => {
  e.preventDefault();
  call('POST', '/schedule', { station: $('schedule-station').value, start: $('schedule-start').value })
    .then(loadSchedule)
    .catch((err) => say(err.message));
});

$('history-form').addEventListener('submit', (e) => {
  e.preventDefault();
  loadHistory().catch((err) => say(err.message));
});

fetch(api + '/recordings', { credentials: 'same-origin' })
  .then((answer) => (answer.ok ? showApp() : showSignIn()))
  .catch(() => showSignIn());
