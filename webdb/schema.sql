-- Web database tables as the booking service creates them, before the agent's schema upgrade
-- (the upgrade adds appo_times.time_list, appo_types.title/note/required,
-- first_appointments.appo_flag and the hospital_infos url and display columns).
-- Run inside the database to be filled: mariadb <db> < webdb/schema.sql

CREATE TABLE appointments (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    appo_key VARCHAR(32) NOT NULL,
    patient_key VARCHAR(20) NULL,
    patient_id VARCHAR(64) NULL,
    patient_name VARCHAR(128) NULL,
    patient_name_kana VARCHAR(128) NULL,
    patient_birthday DATE NULL,
    patient_tel VARCHAR(64) NULL,
    patient_comment TEXT NULL,
    patient_characteristic TEXT NULL,
    appo_date DATE NULL,
    appo_start_time TIME NULL,
    appo_end_time TIME NULL,
    unit_id VARCHAR(16) NULL,
    unit_name VARCHAR(128) NULL,
    pic_id VARCHAR(16) NULL,
    pic_name VARCHAR(128) NULL,
    type VARCHAR(16) NULL,
    treatment_detail TEXT NULL,
    hospital_visited VARCHAR(16) NULL,
    hospital_visited_at DATETIME NULL,
    status_flag INT NULL,
    amount INT NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    UNIQUE KEY appointments_appo_key (appo_key),
    KEY appointments_status (status_flag, updated_at),
    KEY appointments_visited (hospital_visited, appo_date)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE pending_appointments (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    pending_appo_id VARCHAR(10) NULL,
    patient_key VARCHAR(20) NULL,
    patient_name VARCHAR(128) NULL,
    patient_name_kana VARCHAR(128) NULL,
    available_period_from DATE NULL,
    available_period_to DATE NULL,
    treatment_time INT NULL,
    type VARCHAR(16) NULL,
    treatment_detail VARCHAR(400) NULL,
    available_unit_id VARCHAR(255) NULL,
    available_pic_id VARCHAR(255) NULL,
    confirmed_flag INT NULL,
    hope_appo_day DATE NULL,
    hope_appo_time TIME NULL,
    appo_key VARCHAR(32) NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    KEY pending_appointments_pending_appo_id (pending_appo_id),
    KEY pending_appointments_appo_key (appo_key),
    KEY pending_appointments_confirmed (confirmed_flag, updated_at)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE first_appointments (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    appo_key VARCHAR(32) NULL,
    appo_date DATE NULL,
    appo_time TIME NULL,
    name VARCHAR(128) NULL,
    name_kana VARCHAR(128) NULL,
    content TEXT NULL,
    birthday DATE NULL,
    gender VARCHAR(16) NULL,
    tel VARCHAR(64) NULL,
    email VARCHAR(255) NULL,
    address VARCHAR(255) NULL,
    cancel_flag TINYINT NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    KEY first_appointments_appo_key (appo_key),
    KEY first_appointments_updated (updated_at)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE patient_infos (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    patient_key VARCHAR(20) NOT NULL,
    patient_id VARCHAR(64) NULL,
    patient_name VARCHAR(128) NULL,
    patient_name_kana VARCHAR(128) NULL,
    patient_birthday DATE NULL,
    patient_tel VARCHAR(64) NULL,
    patient_comment TEXT NULL,
    patient_characteristic TEXT NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    UNIQUE KEY patient_infos_patient_key (patient_key)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE payment_histories (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    payment_id VARCHAR(32) NOT NULL,
    patient_key VARCHAR(20) NULL,
    payment_date DATE NULL,
    payment_details VARCHAR(255) NULL,
    amount INT NULL,
    payment_type VARCHAR(128) NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    UNIQUE KEY payment_histories_payment_id (payment_id),
    KEY payment_histories_patient_key (patient_key)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE treatment_details (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    patient_key VARCHAR(20) NOT NULL,
    treatment_id VARCHAR(32) NOT NULL,
    treatment_date DATE NULL,
    appo_type VARCHAR(16) NULL,
    treatment_details TEXT NULL,
    created_at DATETIME NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    UNIQUE KEY treatment_details_key (patient_key, treatment_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE memo (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    patient_key VARCHAR(20) NOT NULL,
    treatment_id VARCHAR(32) NOT NULL,
    date DATE NULL,
    memo TEXT NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    UNIQUE KEY memo_key (patient_key, treatment_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE notifications (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    notification_id VARCHAR(32) NULL,
    notification_date DATE NULL,
    patient_key VARCHAR(20) NULL,
    title VARCHAR(255) NULL,
    content TEXT NULL,
    valid_from_date DATE NULL,
    valid_to_date DATE NULL,
    created_at DATETIME NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    KEY notifications_patient_key (patient_key),
    KEY notifications_date (notification_date)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE notification_statuses (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    notification_id BIGINT NOT NULL,
    user_id BIGINT NULL,
    checked_flag TINYINT NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    KEY notification_statuses_notification_id (notification_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- id is the local user's own number, written by the agent.
CREATE TABLE staffs (
    id BIGINT NOT NULL PRIMARY KEY,
    staff_id VARCHAR(32) NULL,
    username VARCHAR(128) NULL,
    password VARCHAR(128) NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Rows with type NULL are the first-visit consultation pages (name NULL for page 1, else its
-- number).
CREATE TABLE appo_types (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    type VARCHAR(16) NULL,
    name VARCHAR(128) NULL,
    treatment_time INT NULL,
    available_unit_id VARCHAR(255) NULL,
    available_pic_id VARCHAR(255) NULL,
    after_days INT NULL,
    hidden VARCHAR(4) NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    KEY appo_types_type (type)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE closed_days (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    closed_date DATE NOT NULL,
    closed_type INT NOT NULL DEFAULT 0,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    UNIQUE KEY closed_days_date (closed_date)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE hospital_infos (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    code VARCHAR(32) NOT NULL,
    name VARCHAR(128) NULL,
    phone VARCHAR(64) NULL,
    patient_id_title VARCHAR(64) NULL,
    appo_method VARCHAR(16) NULL,
    booking_limit_date DATETIME NULL,
    booking_limit_time TIME NULL,
    hidden_treatment_detail VARCHAR(4) NULL,
    time_unit INT NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    UNIQUE KEY hospital_infos_code (code)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- first_appo_flag 0: the clinic's consultation hours; n >= 1: first-visit consultation page n.
CREATE TABLE appo_times (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    first_appo_flag INT NOT NULL DEFAULT 0,
    working_day VARCHAR(3) NOT NULL,
    am_start_time TIME NULL,
    am_end_time TIME NULL,
    pm_start_time TIME NULL,
    pm_end_time TIME NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    UNIQUE KEY appo_times_key (working_day, first_appo_flag)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE users (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    patient_key VARCHAR(20) NULL,
    last_logined_at DATETIME NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    KEY users_patient_key (patient_key)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE relations (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    user_id BIGINT NOT NULL,
    family_user_id BIGINT NOT NULL,
    deleted_at DATETIME NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    KEY relations_user_id (user_id),
    KEY relations_family_user_id (family_user_id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Notices of the service operator; chk is NULL until the agent has taken the row.
CREATE TABLE info (
    id BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    info_datetime DATETIME NULL,
    title VARCHAR(255) NULL,
    text TEXT NULL,
    chk TINYINT NULL,
    created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
    updated_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
    KEY info_chk (chk, info_datetime)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
