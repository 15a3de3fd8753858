// Draws the windows that the C++ side owns and sends the user's actions
// back. Every window and control is patched in place, keyed by window id and
// control id, so nothing moves under the pointer while the state changes.
'use strict';
(() => {
  const desktop = document.getElementById('desktop');
  const offline = document.getElementById('offline');
  const windows = new Map();  // id -> {el, client, ctls: Map(id -> el), data}
  let ws = null;
  let bx = 6, by = 13;  // dialog base units of the page's font, in pixels

  // Windows computes its base units from the average width of A-Z and a-z
  // and the font height; a dialog unit is a quarter and an eighth of them.
  function measure() {
    const m = document.getElementById('measure');
    const r = m.getBoundingClientRect();
    bx = Math.max(4, r.width / 52);
    by = Math.max(8, r.height);
  }
  const px = (dlu) => Math.round(dlu * bx / 4);
  const py = (dlu) => Math.round(dlu * by / 8);

  function send(event) {
    if (ws && ws.readyState === WebSocket.OPEN) ws.send(JSON.stringify(Object.assign({ t: 'event' }, event)));
  }

  function connect() {
    ws = new WebSocket(`ws://${location.host}/ws`);
    ws.onopen = () => { offline.hidden = true; document.body.dataset.connected = '1'; };
    ws.onmessage = (m) => handle(JSON.parse(m.data));
    ws.onclose = () => {
      document.body.dataset.connected = '0';
      offline.hidden = false;
      setTimeout(connect, 1000);
    };
  }

  function handle(msg) {
    switch (msg.t) {
      case 'reset': for (const id of [...windows.keys()]) removeWindow(id); break;
      case 'window': drawWindow(msg.window); break;
      case 'patch': patchWindow(msg); break;
      case 'gone': removeWindow(msg.id); break;
      case 'beep': beep(msg.icon); break;
    }
  }

  // ---- Windows ---------------------------------------------------------
  function drawWindow(w) {
    let win = windows.get(w.id);
    if (!win) {
      const el = document.createElement('section');
      el.className = `win ${w.kind}`;
      el.dataset.win = w.id;
      el.setAttribute('role', w.kind === 'panel' ? 'region' : 'dialog');
      const client = document.createElement('div');
      client.className = 'client';
      if (w.kind !== 'panel') {
        const cap = document.createElement('div');
        cap.className = 'caption';
        cap.innerHTML = '<span class="title"></span><button class="close" tabindex="-1" aria-label="Close">\u2715</button>';
        cap.querySelector('.close').addEventListener('click', () => send({ kind: 'close', window: w.id }));
        el.appendChild(cap);
      }
      el.appendChild(client);
      el.addEventListener('keydown', (e) => onKey(e, w.id));
      win = { el, client, ctls: new Map(), data: w, backdrop: null };
      windows.set(w.id, win);
      desktop.appendChild(el);
    }
    win.data = w;
    applyFields(win, w);
    for (const c of w.controls) drawControl(win, c);
    const ids = new Set(w.controls.map((c) => c.id));
    for (const [id, el] of win.ctls) if (!ids.has(id)) { el.remove(); win.ctls.delete(id); }
    arrange();
    if (!win.focused) {
      win.focused = true;
      const f = win.ctls.get(w.focus);
      setTimeout(() => focusControl(f), 0);
    }
  }

  function applyFields(win, w) {
    const el = win.el;
    el.dataset.resource = w.resource;
    el.classList.toggle('flashed', !!w.flashed);
    el.classList.toggle('modal', !!w.modal);
    el.style.width = `${px(w.width)}px`;
    win.client.style.height = `${py(w.shownHeight)}px`;
    const title = el.querySelector('.caption .title');
    if (title && title.textContent !== w.caption) title.textContent = w.caption;
    el.setAttribute('aria-label', w.caption || '');
  }

  function patchWindow(msg) {
    const win = windows.get(msg.id);
    if (!win) return;
    if (msg.fields) { Object.assign(win.data, msg.fields); applyFields(win, win.data); arrange(); }
    for (const c of msg.controls) drawControl(win, c);
  }

  function removeWindow(id) {
    const win = windows.get(id);
    if (!win) return;
    win.el.remove();
    if (win.backdrop) win.backdrop.remove();
    windows.delete(id);
    arrange();
    const top = topWindow();
    if (top) {
      const f = top.el.querySelector('.ctl:not([hidden]) :is(button,input,select,textarea,[tabindex="0"]):not(:disabled)');
      if (f && !top.el.contains(document.activeElement)) f.focus();
    }
  }

  // Panels flow in the page; dialogs float centred above the windows that
  // came before them, and a modal one makes those inert.
  function arrange() {
    const list = [...windows.values()].sort((a, b) => a.data.id - b.data.id);
    let topModal = 0;
    for (const w of list) if (w.data.modal) topModal = w.data.id;
    let z = 10;
    for (const w of list) {
      const floating = w.data.kind !== 'panel';
      w.el.inert = topModal !== 0 && w.data.id < topModal;
      if (floating) {
        w.el.style.zIndex = String(z + 1);
        w.el.style.left = `calc(50% - ${px(w.data.width) / 2}px)`;
        w.el.style.top = `${Math.max(16, (window.innerHeight - py(w.data.shownHeight) - 30) / 3)}px`;
        w.el.style.position = 'fixed';
        if (w.data.modal && !w.backdrop) {
          w.backdrop = document.createElement('div');
          w.backdrop.className = 'backdrop';
          desktop.appendChild(w.backdrop);
        }
        if (w.backdrop) w.backdrop.style.zIndex = String(z);
      }
      z += 2;
    }
  }

  function topWindow() {
    let top = null;
    for (const w of windows.values()) if (!w.el.inert && (!top || w.data.id > top.data.id)) top = w;
    return top;
  }

  function onKey(e, winId) {
    const win = windows.get(winId);
    if (!win || win.el.inert) return;
    if (e.key === 'Escape') {
      e.preventDefault();
      send({ kind: 'close', window: winId });
    } else if (e.key === 'Enter') {
      const t = e.target;
      if (t.tagName === 'TEXTAREA' || t.tagName === 'BUTTON' || t.closest('.tree,.list')) return;
      const def = win.data.defaultButton;
      const el = win.ctls.get(def);
      if (def && el && !el.hidden && !el.disabled) {
        e.preventDefault();
        flushEdits(win);
        send({ kind: 'command', window: winId, control: def });
      }
    } else if (e.key === 'Tab' && win.data.kind !== 'panel') {
      // Keep the focus inside a dialog, in tab order.
      const f = [...win.el.querySelectorAll('button.btn,input,select,textarea,.tree,.list')]
        .filter((x) => !x.disabled && !x.closest('[hidden]') && x.offsetParent !== null && x.tabIndex >= 0
                 && x.getBoundingClientRect().top < win.client.getBoundingClientRect().bottom);
      if (!f.length) return;
      const i = f.indexOf(document.activeElement);
      const next = e.shiftKey ? (i <= 0 ? f.length - 1 : i - 1) : (i === f.length - 1 ? 0 : i + 1);
      e.preventDefault();
      f[next].focus();
    }
  }

  function flushEdits(win) {
    for (const el of win.ctls.values()) if (el._flush) el._flush();
  }

  function focusControl(el) {
    if (!el) return;
    const f = el.matches('button,input,select,textarea,.tree') ? el : el.querySelector('button,input,select,textarea,.tree,.list');
    if (f && !f.disabled) f.focus();
  }

  function beep() {
    const top = topWindow();
    if (!top) return;
    top.el.animate([{ transform: 'translateX(0)' }, { transform: 'translateX(-3px)' }, { transform: 'translateX(3px)' },
      { transform: 'translateX(0)' }], { duration: 180 });
  }

  // ---- Controls --------------------------------------------------------
  const creators = {
    static: () => div('static'),
    button: () => button(false),
    defbutton: () => button(true),
    edit: (c, win) => edit(c, win),
    check: (c, win) => choice('checkbox', c, win),
    radio: (c, win) => choice('radio', c, win),
    tree: (c, win) => tree(c, win),
    list: (c, win) => list(c, win),
    combo: (c, win) => combo(c, win),
    progress: () => { const d = div('progress'); d.appendChild(div('bar')); return d; },
    animation: () => { const d = div('anim'); for (let i = 0; i < 5; i++) d.appendChild(div('a')); return d; },
    icon: () => { const d = div('icon'); d.appendChild(document.createElement('i')); return d; },
  };
  const updaters = {
    static: (el, c) => {
      setText(el, c.text);
      el.classList.toggle('sunken', !!(c.style & 1));
      el.classList.toggle('right', !!(c.style & 32));
      el.classList.toggle('centre', !!(c.style & 64));
      el.classList.toggle('disabled', !c.enabled);
    },
    button: (el, c) => { setText(el, c.text); el.disabled = !c.enabled; },
    defbutton: (el, c) => { setText(el, c.text); el.disabled = !c.enabled; },
    edit: (el, c) => {
      const input = el;
      if (input._sent !== c.text && input.value !== c.text) input.value = c.text;
      input._sent = c.text;
      input.disabled = !c.enabled;
    },
    check: (el, c) => updateChoice(el, c),
    radio: (el, c) => updateChoice(el, c),
    tree: (el, c, win) => updateTree(el, c, win),
    list: (el, c, win) => updateList(el, c, win),
    combo: (el, c) => {
      const want = c.items.join('\n');
      if (el._items !== want) {
        el.replaceChildren(...c.items.map((t, i) => { const o = document.createElement('option'); o.value = i; o.textContent = t; return o; }));
        el._items = want;
      }
      el.value = String(c.sel);
      if (c.sel < 0) el.selectedIndex = -1;
      el.disabled = !c.enabled;
    },
    progress: (el, c) => {
      const span = Math.max(1, c.high - c.low);
      el.firstChild.style.width = `${Math.min(100, Math.max(0, (c.pos - c.low) * 100 / span))}%`;
      el.setAttribute('role', 'progressbar');
      el.setAttribute('aria-valuenow', c.pos);
    },
    animation: (el, c) => {
      el.className = `ctl anim k${c.anim === 148 || c.anim === 147 ? c.anim : 142}${c.playing ? ' playing' : ''}`;
      el.dataset.anim = c.anim;
    },
    icon: (el, c) => {
      const known = { warning: '!', question: '?', error: '\u2715', information: 'i' };
      const kind = known[c.icon] !== undefined ? c.icon : (c.icon ? 'file' : '');
      el.className = `ctl icon ${kind}`;
      el.firstChild.textContent = known[c.icon] !== undefined ? known[c.icon] : (c.icon || '').replace(/^\./, '').slice(0, 4).toUpperCase();
      el.firstChild.hidden = !c.icon;
    },
  };

  function drawControl(win, c) {
    let el = win.ctls.get(c.id);
    if (!el || el._kind !== c.kind) {
      if (el) el.remove();
      el = creators[c.kind](c, win);
      el._kind = c.kind;
      el._ctl = c.id;
      el.classList.add('ctl');
      el.dataset.ctl = c.id;
      el.dataset.kind = c.kind;
      win.ctls.set(c.id, el);
      win.client.appendChild(el);
      if (c.kind === 'button' || c.kind === 'defbutton') {
        el.addEventListener('click', () => { flushEdits(win); send({ kind: 'command', window: win.data.id, control: c.id }); });
      }
    }
    el.style.left = `${px(c.x)}px`;
    el.style.top = `${py(c.y)}px`;
    el.style.width = `${px(c.w)}px`;
    el.style.height = `${py(c.h)}px`;
    el.hidden = !c.visible;
    updaters[c.kind](el, c, win);
  }

  function div(cls) { const d = document.createElement('div'); d.className = cls; return d; }
  function setText(el, text) { if (el.textContent !== text) el.textContent = text; }

  function button(isDefault) {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = `btn${isDefault ? ' default' : ''}`;
    return b;
  }

  function edit(c, win) {
    const multi = !!(c.style & 4);
    const el = document.createElement(multi ? 'textarea' : 'input');
    el.className = 'edit';
    if (!multi) el.type = c.style & 2 ? 'password' : 'text';
    el.readOnly = !!(c.style & 8);
    el.spellcheck = false;
    el.autocomplete = 'off';
    el._flush = () => {
      if (el.readOnly || el.value === el._sent) return;
      el._sent = el.value;
      send({ kind: 'edit', window: win.data.id, control: c.id, text: el.value });
    };
    el.addEventListener('input', el._flush);
    return el;
  }

  function choice(type, c, win) {
    const label = document.createElement('label');
    label.className = 'choice';
    const input = document.createElement('input');
    input.type = type;
    const span = document.createElement('span');
    label.append(input, span);
    input.addEventListener('click', (e) => {
      // The C++ side decides the new state and sends it back.
      e.preventDefault();
      send({ kind: 'command', window: win.data.id, control: c.id });
    });
    input.addEventListener('keydown', (e) => {
      if (type === 'radio' && ['ArrowDown', 'ArrowUp', 'ArrowLeft', 'ArrowRight'].includes(e.key)) {
        e.preventDefault();
        const group = [...win.client.querySelectorAll('label.choice input[type=radio]')].filter((x) => !x.disabled);
        const i = group.indexOf(input);
        const next = group[(i + (e.key === 'ArrowDown' || e.key === 'ArrowRight' ? 1 : group.length - 1)) % group.length];
        next.focus();
        send({ kind: 'command', window: win.data.id, control: next.parentElement._ctl });
      }
    });
    return label;
  }

  function updateChoice(el, c) {
    const input = el.firstChild;
    // Setting checked after the click's default was prevented needs a frame.
    requestAnimationFrame(() => { input.checked = !!c.checked; });
    input.checked = !!c.checked;
    input.disabled = !c.enabled;
    el.classList.toggle('disabled', !c.enabled);
    setText(el.lastChild, c.text);
  }

  function combo(c, win) {
    const el = document.createElement('select');
    el.className = 'combo';
    el.addEventListener('change', () => send({ kind: 'comboSelect', window: win.data.id, control: c.id, value: Number(el.value) }));
    return el;
  }

  // ---- Tree view -------------------------------------------------------
  function tree(c, win) {
    const el = div('tree');
    el.tabIndex = 0;
    el.setAttribute('role', 'tree');
    const ev = (kind, extra) => send(Object.assign({ kind, window: win.data.id, control: c.id }, extra));
    el.addEventListener('mousedown', (e) => {
      const node = e.target.closest('.node');
      if (!node) return;
      const item = Number(node.dataset.h);
      if (e.target.classList.contains('twisty')) {
        if (node.dataset.kids === '1') ev('treeExpanding', { item, value: node.dataset.open === '1' ? 0 : 1 });
        return;
      }
      const onState = e.target.classList.contains('chk');
      ev('treeClick', { item, state: onState });
      if (!onState && el._sel !== item) ev('treeSelect', { item });
    });
    el.addEventListener('dblclick', (e) => {
      const node = e.target.closest('.node');
      if (node && node.dataset.kids === '1' && !e.target.classList.contains('chk'))
        ev('treeExpanding', { item: Number(node.dataset.h), value: node.dataset.open === '1' ? 0 : 1 });
    });
    el.addEventListener('keydown', (e) => {
      const nodes = [...el.querySelectorAll('.node')];
      const i = nodes.findIndex((n) => Number(n.dataset.h) === el._sel);
      const cur = nodes[i];
      let target = null;
      if (e.key === 'ArrowDown') target = nodes[Math.min(nodes.length - 1, i + 1)];
      else if (e.key === 'ArrowUp') target = nodes[Math.max(0, i - 1)];
      else if (e.key === 'ArrowRight' && cur && cur.dataset.kids === '1' && cur.dataset.open !== '1')
        ev('treeExpanding', { item: el._sel, value: 1 });
      else if (e.key === 'ArrowLeft' && cur && cur.dataset.open === '1') ev('treeExpanding', { item: el._sel, value: 0 });
      else if (e.key === ' ' && cur) ev('treeClick', { item: el._sel, state: true });
      else return;
      e.preventDefault();
      if (target && Number(target.dataset.h) !== el._sel) ev('treeSelect', { item: Number(target.dataset.h) });
    });
    return el;
  }

  function updateTree(el, c) {
    el._sel = c.sel;
    const depth = new Map([[0, -1]]);
    const existing = new Map([...el.children].map((n) => [n.dataset.h, n]));
    let prev = null;
    for (const it of c.items) {
      const d = (depth.get(it.p) ?? -1) + 1;
      depth.set(it.h, d);
      let n = existing.get(String(it.h));
      if (!n) {
        n = div('node');
        n.dataset.h = it.h;
        n.setAttribute('role', 'treeitem');
        n.innerHTML = '<span class="twisty"></span><span class="chk"></span><span class="img"></span><span class="label"></span>';
      }
      existing.delete(String(it.h));
      n.style.paddingLeft = `${4 + d * 16}px`;
      n.dataset.kids = it.kids ? '1' : '0';
      n.dataset.open = it.open ? '1' : '0';
      n.children[0].textContent = it.kids ? (it.open ? '\u25be' : '\u25b8') : '';
      n.children[1].className = `chk s${it.state}`;
      n.children[1].hidden = it.state === 0;
      const sel = it.h === c.sel;
      n.children[2].className = `img k${sel ? it.simg : it.img}`;
      setText(n.children[3], it.text);
      n.classList.toggle('selected', sel);
      n.setAttribute('aria-selected', sel ? 'true' : 'false');
      if (it.kids) n.setAttribute('aria-expanded', it.open ? 'true' : 'false');
      const want = prev ? prev.nextSibling : el.firstChild;
      if (want !== n) el.insertBefore(n, want);
      prev = n;
    }
    for (const n of existing.values()) n.remove();
    const selNode = el.querySelector('.node.selected');
    if (selNode && document.activeElement === el) selNode.scrollIntoView({ block: 'nearest' });
  }

  // ---- List view: only the rows in view are ever sent ---------------------
  const ROW = 20;
  function list(c, win) {
    const el = div('list');
    el.tabIndex = 0;
    el.setAttribute('role', 'grid');
    const head = div('head');
    const body = div('body');
    el.append(head, body);
    const ev = (kind, extra) => send(Object.assign({ kind, window: win.data.id, control: c.id }, extra));
    el._anchor = -1;
    let pending = false;
    const viewport = () => {
      pending = false;
      const first = Math.max(0, Math.floor(el.scrollTop / ROW) - 5);
      const count = Math.ceil(el.clientHeight / ROW) + 10;
      if (first !== el._first || count !== el._count) {
        el._first = first; el._count = count;
        ev('listViewport', { row: first, value: count });
      }
    };
    el._viewport = viewport;
    el.addEventListener('scroll', () => { if (!pending) { pending = true; requestAnimationFrame(viewport); } });
    const rowOf = (e) => { const r = e.target.closest('.row'); return r ? Number(r.dataset.i) : -1; };
    el.addEventListener('mousedown', (e) => {
      const i = rowOf(e);
      if (i < 0) return;
      const onState = e.target.classList.contains('chk');
      let rows = [i];
      const multi = !!(c.style & 256);
      if (multi && e.shiftKey && el._anchor >= 0) {
        rows = [];
        for (let k = Math.min(el._anchor, i); k <= Math.max(el._anchor, i); k++) rows.push(k);
      } else if (multi && (e.ctrlKey || e.metaKey)) {
        const s = new Set(el._selected || []);
        if (s.has(i)) s.delete(i); else s.add(i);
        rows = [...s];
        el._anchor = i;
      } else if (onState && (el._selected || []).includes(i)) {
        rows = el._selected;  // a click on a box of a selected row keeps the selection
      } else {
        el._anchor = i;
      }
      if (e.button === 0 || !(el._selected || []).includes(i)) ev('listSelect', { rows });
      if (e.button === 0) ev('listClick', { row: i, state: onState });
    });
    el.addEventListener('dblclick', (e) => { const i = rowOf(e); if (i >= 0 && !e.target.classList.contains('chk')) ev('listDoubleClick', { row: i }); });
    el.addEventListener('contextmenu', (e) => { const i = rowOf(e); e.preventDefault(); if (i >= 0) ev('listRightClick', { row: i }); });
    el.addEventListener('keydown', (e) => {
      const count = el._rowCount || 0;
      const cur = (el._selected && el._selected.length) ? el._selected[el._selected.length - 1] : -1;
      let next = -1;
      if (e.key === 'ArrowDown') next = Math.min(count - 1, cur + 1);
      else if (e.key === 'ArrowUp') next = Math.max(0, cur - 1);
      else if (e.key === ' ' && cur >= 0) { e.preventDefault(); ev('listClick', { row: cur, state: true }); return; }
      else if (e.key === 'Enter' && cur >= 0) { e.preventDefault(); ev('listDoubleClick', { row: cur }); return; }
      else return;
      e.preventDefault();
      if (next >= 0) {
        ev('listSelect', { rows: [next] });
        const top = next * ROW, bottom = top + ROW + ROW;
        if (top < el.scrollTop + ROW) el.scrollTop = top;
        else if (bottom > el.scrollTop + el.clientHeight) el.scrollTop = bottom - el.clientHeight;
      }
    });
    requestAnimationFrame(viewport);
    return el;
  }

  function updateList(el, c, win) {
    const l = c.list;
    const head = el.firstChild, body = el.lastChild;
    const widths = l.columns.map((col, i) => (el._widths && el._widths[i]) || Math.round(col.w * bx));
    const total = widths.reduce((a, b) => a + b, 0);
    const headKey = JSON.stringify(l.columns);
    if (el._head !== headKey) {
      el._head = headKey;
      el._widths = null;
      head.replaceChildren(...l.columns.map((col, i) => {
        const h = div(`col${col.right ? ' right' : ''}`);
        h.textContent = col.text;
        const grip = div('grip');
        grip.addEventListener('mousedown', (e) => startResize(e, el, c, win, i));
        h.appendChild(grip);
        return h;
      }));
    }
    [...head.children].forEach((h, i) => { h.style.width = `${widths[i]}px`; });
    head.style.width = `${total}px`;
    body.style.height = `${l.count * ROW}px`;
    body.style.width = `${total}px`;
    el._rowCount = l.count;
    const selected = [];
    const keep = new Set();
    for (const r of l.rows) {
      keep.add(String(r.i));
      let row = body.querySelector(`.row[data-i="${r.i}"]`);
      if (!row) { row = div('row'); row.dataset.i = r.i; row.setAttribute('role', 'row'); body.appendChild(row); }
      row.style.top = `${r.i * ROW}px`;
      row.style.width = `${total}px`;
      row.classList.toggle('selected', r.sel);
      if (r.sel) selected.push(r.i);
      const key = JSON.stringify([r.cells, r.img, r.state, widths]);
      if (row._key !== key) {
        row._key = key;
        row.replaceChildren(...r.cells.map((text, i) => {
          const cell = div(`cell${l.columns[i] && l.columns[i].right ? ' right' : ''}`);
          cell.style.width = `${widths[i] || 100}px`;
          if (i === 0) {
            if (r.state > 1) { const b = div(`chk s${r.state - 1}`); cell.appendChild(b); }
            else if (r.state === 1) { const b = div('chk'); b.style.visibility = 'hidden'; cell.appendChild(b); }
            if (r.img >= 0) cell.appendChild(div(`img k${r.img}`));
          }
          const s = document.createElement('span');
          s.textContent = text;
          cell.appendChild(s);
          return cell;
        }));
      }
    }
    for (const row of [...body.children]) if (!keep.has(row.dataset.i)) row.remove();
    // Rows outside the sent window keep their selection from the last draw.
    el._selected = selected.length ? selected : (el._selected || []).filter((i) => i < l.count && (i < l.first || i >= l.first + l.rows.length));
    if (el._first === undefined) requestAnimationFrame(el._viewport);
  }

  function startResize(e, el, c, win, index) {
    e.preventDefault();
    e.stopPropagation();
    const head = el.firstChild;
    const start = e.clientX;
    const startWidth = head.children[index].getBoundingClientRect().width;
    const move = (m) => {
      const w = Math.max(24, Math.round(startWidth + m.clientX - start));
      el._widths = [...head.children].map((h) => Math.round(h.getBoundingClientRect().width));
      el._widths[index] = w;
      head.children[index].style.width = `${w}px`;
    };
    const up = (u) => {
      window.removeEventListener('mousemove', move);
      window.removeEventListener('mouseup', up);
      move(u);
      send({ kind: 'headerResized', window: win.data.id, control: c.id, value: index, row: el._widths[index] });
    };
    window.addEventListener('mousemove', move);
    window.addEventListener('mouseup', up);
  }

  measure();
  connect();
})();
